// The drive list and the storage query answers of machines captured as
// sysfs/procfs trees: a desktop with a SATA disk, a USB stick and an NVMe
// disk (besides an empty card reader, a DVD drive, swap in RAM and an
// encrypted volume, which are no drives), a virtio guest and a loop device.
#include <gtest/gtest.h>

#include "platform/linux/block_devices.h"
#include "platform/linux/linux_os.h"
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

TEST(FixtureTrees, SataDiskShowsItsFullAtaModelFirmwareAndSerial) {
  Machine desktop("desktop");
  const QueriedDrive sata = QueryDrive(desktop.os, 0);
  ASSERT_TRUE(sata.opened);
  EXPECT_EQ(sata.sectorSize, 512u);
  EXPECT_EQ(sata.length, 1953525168LL * 512);
  EXPECT_EQ(sata.busType, 11);  // SATA
  EXPECT_EQ(sata.maxTransfer, 32767u * 1024);
  EXPECT_EQ(sata.vendor, "ATA");
  EXPECT_EQ(sata.product, "WDC WD10EZEX-08WN4A0");  // INQUIRY alone gives "WDC WD10EZEX-08W"
  EXPECT_EQ(sata.revision, "01.01A01");
  EXPECT_EQ(sata.serial, "WD-WCC6Y7KJ2X4P");
  EXPECT_FALSE(sata.removable);
}

TEST(FixtureTrees, UsbStickTakesItsSerialFromTheUsbDevice) {
  Machine desktop("desktop");
  const QueriedDrive stick = QueryDrive(desktop.os, 1);
  ASSERT_TRUE(stick.opened);
  EXPECT_EQ(stick.busType, 7);  // USB
  EXPECT_EQ(stick.length, 60063744LL * 512);
  EXPECT_EQ(stick.maxTransfer, 240u * 1024);
  EXPECT_EQ(stick.vendor, "USB");
  EXPECT_EQ(stick.product, "SanDisk 3.2Gen1");
  EXPECT_EQ(stick.revision, "1.00");
  EXPECT_EQ(stick.serial, "4C530001230101117264");
  EXPECT_TRUE(stick.removable);
}

TEST(FixtureTrees, NvmeDiskIsBusType17WithItsControllersTexts) {
  Machine desktop("desktop");
  const QueriedDrive nvme = QueryDrive(desktop.os, 2);
  ASSERT_TRUE(nvme.opened);
  EXPECT_EQ(nvme.busType, 17);
  EXPECT_EQ(nvme.maxTransfer, 2048u * 1024);
  EXPECT_EQ(nvme.vendor, "NVMe");
  EXPECT_EQ(nvme.product, "Samsung SSD 970 EVO Plus 1TB");
  EXPECT_EQ(nvme.revision, "2B2QEXM7");
  EXPECT_EQ(nvme.serial, "S4EWNX0R123456A");
}

TEST(FixtureTrees, VirtioAndLoopDisks) {
  Machine virtio("virtio");
  const QueriedDrive vda = QueryDrive(virtio.os, 0);
  EXPECT_EQ(vda.busType, 14);  // virtual
  EXPECT_EQ(vda.length, 536870912LL * 512);
  EXPECT_EQ(vda.maxTransfer, 0xFFFFFFFFu);  // "no limit" does not wrap
  EXPECT_EQ(vda.vendor + " " + vda.product, "VirtIO Block Device");
  EXPECT_EQ(vda.serial, "1786631563315385");

  Machine loop("loop");
  const QueriedDrive loop0 = QueryDrive(loop.os, 0);
  EXPECT_EQ(loop0.busType, 15);  // file-backed virtual
  EXPECT_EQ(loop0.length, 256LL * 1024 * 1024);
  EXPECT_EQ(loop0.maxTransfer, 1280u * 1024);
  EXPECT_EQ(loop0.serial, "");
}

TEST(FixtureTrees, OddLengthSerialShowsWithoutAnExtraCharacter) {
  TreeCopy tree("virtio");
  tree.WriteFile("/sys/devices/pci0000:00/0000:00:02.0/virtio1/block/vda/serial", "ABC\n");
  FakeKernel kernel(tree.Root());
  LinuxOs os(kernel, tree.Root());
  EXPECT_EQ(QueryDrive(os, 0).serial, "ABC");
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

TEST(DriveOrder, KindsInAFixedOrderAndNamesInNaturalOrder) {
  std::vector<std::string> names{"loop10", "vdb",     "sdaa", "loop2", "nvme10n1", "sdb",    "nvme1n1",
                                 "sdz",    "mmcblk0", "sda",  "nbd0",  "vda",      "nvme1n2"};
  std::sort(names.begin(), names.end(), linux_backend::DriveOrderLess);
  EXPECT_EQ(names, (std::vector<std::string>{"sda", "sdb", "sdz", "sdaa", "nvme1n1", "nvme1n2", "nvme10n1", "vda",
                                             "vdb", "mmcblk0", "nbd0", "loop2", "loop10"}));
}

}  // namespace
}  // namespace orvella::test
