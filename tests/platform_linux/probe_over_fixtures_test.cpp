// The program's own device walk and storage probe over the captured trees:
// the catalogue a Linux machine gives.
#include <gtest/gtest.h>

#include "catalogue/enumeration.h"
#include "core/program.h"
#include "core/text.h"
#include "platform/linux/linux_os.h"
#include "platform_linux/fake_kernel.h"
#include "platform_linux/linux_test_support.h"
#include "support/fakes.h"

namespace orvella::test {
namespace {

struct Walk {
  // A captured tree by name, or the root of a copy.
  explicit Walk(const std::string& tree)
      : root(tree.front() == '/' ? tree : FixtureRoot(tree)),
        kernel(root),
        os(kernel, root),
        program(os, clock, locale, panes, halt) {
    EnumerateDevices(program);
  }
  const TIdentifyDeviceData& Entry(int index) const { return program.DeviceTables[index].IdentifyData; }

  std::string root;
  FakeClock clock;
  FakeLocale locale;
  RecordingPanes panes;
  RecordingHalt halt;
  FakeKernel kernel;
  LinuxOs os;
  Program program;
};

TEST(ProbeOverFixtures, DesktopCatalogueHoldsTheSataDiskTheStickAndTheNvmeDisk) {
  Walk walk("desktop");
  ASSERT_EQ(walk.program.DeviceCount, 3);
  EXPECT_EQ(walk.program.DeviceTables[3].DevicePath, u"\\\\.\\PhysicalDrive2");

  const TIdentifyDeviceData& sata = walk.Entry(1);
  EXPECT_EQ(sata.Model, u"ATA WDC WD10EZEX-08WN4A0");
  EXPECT_EQ(sata.FW, u"01.01A01");
  EXPECT_EQ(sata.SN, u"WD-WCC6Y7KJ2X4P");
  EXPECT_EQ(sata.LBA, 1953525168);
  EXPECT_EQ(sata.SectorSize, 512);
  EXPECT_EQ(BusTypeToStr(sata.BusType), u"SATA");
  EXPECT_EQ(sata.MaximumSectorsTransfer, 250);
  EXPECT_FALSE(sata.RemovableMedia);
  EXPECT_EQ(sata.IsIDESlave, 0);

  const TIdentifyDeviceData& stick = walk.Entry(2);
  EXPECT_EQ(stick.Model, u"USB SanDisk 3.2Gen1");
  EXPECT_EQ(stick.SN, u"4C530001230101117264");
  EXPECT_EQ(BusTypeToStr(stick.BusType), u"USB");
  EXPECT_EQ(stick.LBA, 60063744);
  EXPECT_TRUE(stick.RemovableMedia);

  const TIdentifyDeviceData& nvme = walk.Entry(3);
  EXPECT_EQ(nvme.Model, u"NVMe Samsung SSD 970 EVO Plus 1TB");
  EXPECT_EQ(nvme.FW, u"2B2QEXM7");
  EXPECT_EQ(nvme.SN, u"S4EWNX0R123456A");
  EXPECT_EQ(nvme.BusType, 17);
  EXPECT_TRUE(walk.halt.messages.empty());
}

TEST(ProbeOverFixtures, VirtioAndLoopCatalogues) {
  Walk virtio("virtio");
  ASSERT_EQ(virtio.program.DeviceCount, 1);
  EXPECT_EQ(virtio.Entry(1).Model, u"VirtIO Block Device");
  EXPECT_EQ(virtio.Entry(1).SN, u"1786631563315385");
  EXPECT_EQ(virtio.Entry(1).FW, u"0000");
  EXPECT_EQ(BusTypeToStr(virtio.Entry(1).BusType), u"VIRTUAL");
  EXPECT_EQ(virtio.Entry(1).LBA, 536870912);

  Walk loop("loop");
  ASSERT_EQ(loop.program.DeviceCount, 1);
  EXPECT_EQ(loop.Entry(1).Model, u"Linux Loop Device");
  EXPECT_EQ(loop.Entry(1).SN, u"000000");
  EXPECT_EQ(BusTypeToStr(loop.Entry(1).BusType), u"FBVIRTUAL");
  EXPECT_EQ(loop.Entry(1).LBA, 524288);
}

TEST(ProbeOverFixtures, OddLengthSerialShowsWithoutAnExtraCharacter) {
  TreeCopy tree("virtio");
  tree.WriteFile("/sys/devices/pci0000:00/0000:00:02.0/virtio1/block/vda/serial", "ABC\n");
  Walk walk(tree.Root());
  EXPECT_EQ(walk.Entry(1).SN, u"ABC");
}

// A QEMU guest of the test bed (scripts/test-vm.sh), captured with
// scripts/capture-sysfs-fixture.sh: SATA disks on AHCI, an NVMe drive, a
// virtio disk and an SD card; no udev ran, so there are no by-id links.
constexpr const char* kCardDevice = "/sys/devices/pci0000:00/0000:00:04.0/mmc_host/mmc0/mmc0:4567";

TEST(ProbeOverFixtures, QemuGuestCatalogueHasEveryBusAndTheCardsIdentityFromItsCid) {
  Walk walk("qemu");
  ASSERT_EQ(walk.program.DeviceCount, 5);
  EXPECT_EQ(walk.Entry(1).Model, u"ATA Veltra SATA Test");
  EXPECT_EQ(walk.Entry(1).FW, u"VT01");
  EXPECT_EQ(walk.Entry(1).SN, u"VSATA0001");
  EXPECT_EQ(BusTypeToStr(walk.Entry(1).BusType), u"SATA");
  EXPECT_EQ(walk.Entry(3).Model, u"NVMe QEMU NVMe Ctrl");
  EXPECT_EQ(walk.Entry(3).SN, u"VNVME0001");
  EXPECT_EQ(walk.Entry(4).SN, u"VVIRT0001");

  const TIdentifyDeviceData& card = walk.Entry(5);
  EXPECT_EQ(BusTypeToStr(card.BusType), u"SD");
  EXPECT_EQ(card.Model, u" QEMU!");  // a card has no vendor text
  EXPECT_EQ(card.SN, u"0xdeadbeef");  // as the kernel, lsblk and udev's links show it
  EXPECT_EQ(card.FW, u"0.1");         // hardware and firmware revision of the CID
  EXPECT_EQ(card.LBA, 65536);
}

TEST(ProbeOverFixtures, AnEmbeddedCardIsMmcAndAnUnreadableRevisionIsNone) {
  TreeCopy tree("qemu");
  tree.WriteFile(std::string(kCardDevice) + "/type", "MMC\n");
  tree.WriteFile(std::string(kCardDevice) + "/name", "MMC32G\n");
  tree.WriteFile(std::string(kCardDevice) + "/serial", "0x1a2b3c4d\n");
  tree.WriteFile(std::string(kCardDevice) + "/hwrev", "0xa\n");
  tree.WriteFile(std::string(kCardDevice) + "/fwrev", "0x7\n");
  Walk emmc(tree.Root());
  EXPECT_EQ(BusTypeToStr(emmc.Entry(5).BusType), u"MMC");
  EXPECT_EQ(emmc.Entry(5).Model, u" MMC32G");
  EXPECT_EQ(emmc.Entry(5).SN, u"0x1a2b3c4d");
  EXPECT_EQ(emmc.Entry(5).FW, u"a.7");

  tree.WriteFile(std::string(kCardDevice) + "/fwrev", "7\n");  // not the kernel's hexadecimal form
  Walk odd(tree.Root());
  EXPECT_EQ(odd.Entry(5).FW, u"0000");
}

// Without udev's links every drive that has a world-wide name or a serial
// number still gets a name that stays with it.
TEST(ProbeOverFixtures, WithoutUdevTheStableNameComesFromTheWwidOrTheSerial) {
  Walk walk("qemu");
  const int opensOfTheWalk = walk.kernel.CountCalls("open");
  EXPECT_EQ(walk.os.DriveNamesOf(0).stableLink, u"wwid:t10.ATA_Veltra_SATA_Test_VSATA0001");
  EXPECT_EQ(walk.os.DriveNamesOf(2).stableLink, u"wwid:nvme.1b36-564e564d4530303031-51454d55204e564d65204374726c-00000001");
  EXPECT_EQ(walk.os.DriveNamesOf(3).stableLink, u"serial:VVIRT0001");
  EXPECT_EQ(walk.os.DriveNamesOf(4).stableLink, u"serial:0xdeadbeef");
  EXPECT_EQ(walk.kernel.CountCalls("open"), opensOfTheWalk);  // names need no device opened

  Walk loop("loop");
  EXPECT_TRUE(loop.os.DriveNamesOf(0).stableLink.empty());  // a loop device has neither
}

}  // namespace
}  // namespace orvella::test
