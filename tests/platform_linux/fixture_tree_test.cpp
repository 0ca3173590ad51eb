// The drive list and the storage query answers of machines captured as
// sysfs/procfs trees: a desktop with a SATA disk, a USB stick and an NVMe
// disk (besides an empty card reader, a DVD drive, swap in RAM and an
// encrypted volume, which are no drives), a virtio guest and a loop device.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/linux/block_devices.h"
#include "platform/linux/linux_os.h"
#include "platform/linux/system_tree.h"
#include "platform_linux/fake_kernel.h"
#include "platform_linux/linux_test_support.h"

namespace orvella::test {
namespace {

std::vector<std::string> DriveNames(LinuxOs& os) {
  std::vector<std::string> names;
  for (const auto& drive : os.Drives()) names.push_back(drive.name);
  return names;
}

struct Machine {
  explicit Machine(const std::string& fixture) : kernel(FixtureRoot(fixture)), os(kernel, FixtureRoot(fixture)) {}
  FakeKernel kernel;
  LinuxOs os;
};

TEST(FixtureTrees, ListWholeDisksWithAMediumAndNothingElse) {
  Machine desktop("desktop");
  EXPECT_EQ(DriveNames(desktop.os), (std::vector<std::string>{"sda", "sdb", "nvme0n1"}));
  Machine virtio("virtio");
  EXPECT_EQ(DriveNames(virtio.os), (std::vector<std::string>{"vda"}));
  Machine loop("loop");
  EXPECT_EQ(DriveNames(loop.os), (std::vector<std::string>{"loop0"}));
}

// What the program learns from the storage queries beyond the catalogue's
// capped sector counts: the sizes and the adapters' transfer limits.
TEST(FixtureTrees, SizesAndTransferLimitsOfEveryDrive) {
  struct Expected {
    const char* fixture;
    int number;
    std::int64_t length;
    std::uint32_t maxTransfer;
    bool removable;
  };
  for (const Expected& e : {Expected{"desktop", 0, 1953525168LL * 512, 32767u * 1024, false},
                            Expected{"desktop", 1, 60063744LL * 512, 240u * 1024, true},
                            Expected{"desktop", 2, 1953525168LL * 512, 2048u * 1024, false},
                            Expected{"virtio", 0, 536870912LL * 512, 0xFFFFFFFFu, false},  // no limit: no wrap
                            Expected{"loop", 0, 256LL << 20, 1280u * 1024, false}}) {
    Machine machine(e.fixture);
    const QueriedDrive drive = QueryDrive(machine.os, e.number);
    ASSERT_TRUE(drive.opened) << e.fixture << " " << e.number;
    EXPECT_EQ(drive.sectorSize, 512u);
    EXPECT_EQ(drive.length, e.length) << e.fixture << " " << e.number;
    EXPECT_EQ(drive.maxTransfer, e.maxTransfer) << e.fixture << " " << e.number;
    EXPECT_EQ(drive.removable, e.removable) << e.fixture << " " << e.number;
  }
}

TEST(FixtureTrees, DriveNumbersPastTheListFailWithoutTouchingTheKernel) {
  Machine desktop("desktop");
  for (int n = 3; n < 256; ++n) {
    EXPECT_EQ(desktop.os.CreateFileW(DrivePath(n), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(desktop.os.GetLastError(), ERROR_FILE_NOT_FOUND);
  }
  EXPECT_TRUE(desktop.kernel.calls.empty());
}

// A SCSI device without an identification page opens its wwid attribute
// and then fails the read (ENXIO); a directory fails its read the same way.
TEST(FixtureTrees, AnAttributeThatOpensButCannotBeReadIsAbsent) {
  TreeCopy tree("qemu");
  std::filesystem::create_directories(tree.Root() + "/sys/block/sda/device/wwid.d");
  const linux_backend::SystemTree system(tree.Root());
  EXPECT_EQ(system.ReadLine("/sys/block/sda/device/wwid.d"), std::nullopt);
  EXPECT_EQ(system.ReadBytes("/sys/block/sda/device/wwid.d"), std::nullopt);
  EXPECT_TRUE(system.ReadLine("/sys/block/sda/device/wwid").has_value());
}

TEST(DriveOrder, KindsInAFixedOrderAndNamesInNaturalOrder) {
  std::vector<std::string> names{"loop10", "vdb",     "sdaa", "loop2", "nvme10n1", "sdb",    "nvme1n1",
                                 "sdz",    "mmcblk0", "sda",  "nbd0",  "vda",      "nvme1n2"};
  std::sort(names.begin(), names.end(), linux_backend::DriveOrderLess);
  EXPECT_EQ(names, (std::vector<std::string>{"sda", "sdb", "sdz", "sdaa", "nvme1n1", "nvme1n2", "nvme10n1", "vda",
                                             "vdb", "mmcblk0", "nbd0", "loop2", "loop10"}));
}

// std::sort needs a strict weak order for every name the kernel may give,
// also those that start with a digit or a sign, or differ in leading zeros.
TEST(DriveOrder, IsAStrictOrderForAnyNames) {
  const std::vector<std::string> names{"1", "01", "a", "#", "0", "00", "sd1", "sd01", "sda",
                                       "1a", "a1", "_x", "9", "-1", "sd", "loop01", "loop1"};
  const auto less = linux_backend::DriveOrderLess;
  for (const std::string& a : names) {
    EXPECT_FALSE(less(a, a)) << a;
    for (const std::string& b : names) {
      EXPECT_FALSE(less(a, b) && less(b, a)) << a << " " << b;
      if (a != b) {
        EXPECT_TRUE(less(a, b) || less(b, a)) << a << " " << b;
      }
      for (const std::string& c : names) {
        if (less(a, b) && less(b, c)) {
          EXPECT_TRUE(less(a, c)) << a << " < " << b << " < " << c;
        }
      }
    }
  }
}

}  // namespace
}  // namespace orvella::test
