// The system disk on the desktop tree: the drive of the root file system,
// of /boot/efi, of an active swap area, of a device stacked on its
// partitions, and of the program's own file, found from mountinfo,
// /proc/swaps, /proc/self/exe and the sysfs holders.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/linux/linux_os.h"
#include "platform/linux/system_disk.h"
#include "platform_linux/fake_kernel.h"
#include "platform_linux/linux_test_support.h"

namespace orvella::test {
namespace {

// Drive numbers of the desktop tree.
constexpr std::uint32_t kSata = 0;   // sda: sda1 at /data, sda2 a swap area
constexpr std::uint32_t kStick = 1;  // sdb: sdb1 at /media/anna/MY STICK
constexpr std::uint32_t kNvme = 2;   // nvme0n1: / and /boot/efi, dm-0 (/home) over p3

struct Desktop {
  Desktop() : kernel(tree.Root()), os(kernel, tree.Root()) {}
  std::vector<std::string> SystemUse(std::uint32_t drive, std::optional<linux_backend::DeviceNumber> program = {}) {
    return linux_backend::SystemUseOf(linux_backend::SystemTree(tree.Root()), os.Drives(), drive, program);
  }
  // A device stacked on `below` (a partition's or a stacked device's sysfs folder).
  void Stack(const std::string& below, const std::string& name, const std::string& number) {
    std::filesystem::create_directories(tree.Root() + below + "/holders/" + name);
    tree.WriteFile("/sys/block/" + name + "/dev", number + "\n");
  }

  TreeCopy tree{"desktop"};
  FakeKernel kernel;
  LinuxOs os;
};

TEST(SystemDisk, RootBootAndSwapMarkTheirDrivesAndNoOther) {
  Desktop desktop;
  EXPECT_EQ(desktop.SystemUse(kNvme), (std::vector<std::string>{"the file system at / (/dev/nvme0n1p2)",
                                                                  "the file system at /boot/efi (/dev/nvme0n1p1)"}));
  EXPECT_EQ(desktop.SystemUse(kSata), std::vector<std::string>{"the swap area /dev/sda2"});
  EXPECT_TRUE(desktop.SystemUse(kStick).empty());  // mounted, but nothing of the system
  EXPECT_EQ(desktop.kernel.CountCalls("open"), 0);
  // The live query: this test program's own file is on no drive of the tree.
  EXPECT_TRUE(linux_backend::FileDevice("/proc/self/exe").has_value());
}

// The root on device-mapper over the NVMe drive's third partition, and /usr
// and a swap area two layers above the stick's partition (md, then dm).
TEST(SystemDisk, FoundThroughStackedDevicesAtAnyDepth) {
  Desktop desktop;
  desktop.tree.WriteFile("/proc/self/mountinfo",
                         "22 1 253:0 / / rw - ext4 /dev/mapper/root rw\n"
                         "23 22 253:1 / /usr rw - ext4 /dev/mapper/usr rw\n"
                         "24 22 8:1 / /data rw - ext4 /dev/sda1 rw\n");
  desktop.tree.WriteFile("/proc/swaps", "Filename Type Size Used Priority\n/dev/md127 partition 1 0 -2\n");
  desktop.Stack("/sys/block/sdb/sdb1", "md127", "9:127");
  desktop.Stack("/sys/block/md127", "dm-1", "253:1");

  EXPECT_EQ(desktop.SystemUse(kNvme), std::vector<std::string>{"the file system at / (/dev/mapper/root)"});
  EXPECT_EQ(desktop.SystemUse(kStick), (std::vector<std::string>{"the file system at /usr (/dev/mapper/usr)",
                                                                   "the swap area /dev/md127"}));
  EXPECT_TRUE(desktop.SystemUse(kSata).empty());  // /data and no swap any more
}

// A swap area named through a link resolves to its partition.
TEST(SystemDisk, SwapNamedThroughALink) {
  Desktop desktop;
  desktop.tree.WriteFile("/proc/swaps", "Filename Type Size Used Priority\n/dev/disk/by-uuid/abc partition 1 0 -2\n");
  desktop.tree.WriteFile("/dev/sdb1", "");
  std::filesystem::create_directories(desktop.tree.Root() + "/dev/disk/by-uuid");
  std::filesystem::create_symlink("../../sdb1", desktop.tree.Root() + "/dev/disk/by-uuid/abc");
  EXPECT_EQ(desktop.SystemUse(kStick), std::vector<std::string>{"the swap area /dev/disk/by-uuid/abc"});
}

// The program started from the stick: erasing it would erase the program.
TEST(SystemDisk, TheDriveOfTheProgramsOwnFile) {
  Desktop desktop;
  EXPECT_EQ(desktop.SystemUse(kStick, linux_backend::DeviceNumber{8, 17}),
            std::vector<std::string>{"the file system of this program at /media/anna/MY STICK"});

  // A device no mount names is judged by the device itself.
  desktop.tree.WriteFile("/proc/self/mountinfo", "22 1 259:2 / / rw - ext4 /dev/nvme0n1p2 rw\n");
  EXPECT_EQ(desktop.SystemUse(kSata, linux_backend::DeviceNumber{8, 1}),
            (std::vector<std::string>{"the file system of this program", "the swap area /dev/sda2"}));
}

// A loop in a broken tree (a device holding itself) ends.
TEST(SystemDisk, AHolderLoopEnds) {
  Desktop desktop;
  desktop.Stack("/sys/block/sdb/sdb1", "dm-7", "253:7");
  desktop.Stack("/sys/block/dm-7", "dm-7", "253:7");
  const linux_backend::SystemTree tree(desktop.tree.Root());
  const auto layers = linux_backend::LayersOfDrive(tree, desktop.os.Drives(), kStick);
  EXPECT_EQ(layers.back().name, "dm-7");
  EXPECT_EQ(layers.size(), 3u);  // sdb, sdb1, dm-7
}

}  // namespace
}  // namespace orvella::test
