// Volumes of the desktop tree: what the drive strings list, the storage
// device numbers, and locking by unmounting and holding a partition.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/byte_order.h"
#include "platform/linux/linux_os.h"
#include "platform/linux/volume_holders.h"
#include "platform/linux/volume_use.h"
#include "platform_linux/fake_kernel.h"
#include "platform_linux/linux_test_support.h"

namespace orvella::test {
namespace {

struct Desktop {
  Desktop() : kernel(tree.Root()), os(kernel, tree.Root()) {
    kernel.onUnmount = [this](const std::string& point) { tree.RemoveMount(point); };
  }
  std::string Node(const std::string& name) const { return tree.Root() + "/dev/" + name; }
  Handle OpenVolume(const std::string& name) {
    return os.CreateFileW(VolumePath(name), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
  }
  bool Request(Handle handle, std::uint32_t code) {
    return os.DeviceIoControl(handle, code, nullptr, 0, nullptr, 0, nullptr);
  }

  TreeCopy tree{"desktop"};
  FakeKernel kernel;
  LinuxOs os;
};

TEST(VolumeUse, DriveStringsListMountedSwappedAndHeldPartitions) {
  Desktop desktop;
  EXPECT_EQ(DriveStrings(desktop.os), "sda1\\|sda2\\|sdb1\\|nvme0n1p1\\|nvme0n1p2\\|nvme0n1p3\\|");
}

// Listing what is in use opens no device: a program that is mounting or
// formatting another disk at that moment must never meet EBUSY from us.
TEST(VolumeUse, DriveStringsOpenNoDeviceAndGoByMountsSwapsAndHoldersAlone) {
  Desktop desktop;
  desktop.tree.RemoveMount("/data");
  desktop.kernel.claimed.insert(desktop.Node("sda1"));  // some program's own exclusive open
  EXPECT_EQ(DriveStrings(desktop.os).substr(0, 6), "sda2\\|");
  EXPECT_EQ(desktop.kernel.CountCalls("open"), 0);
}

TEST(VolumeUse, DeviceNumberIsTheDrivesNumberAndThePartition) {
  Desktop desktop;
  for (const auto& [name, drive, partition] :
       {std::tuple{"sda2", 0u, 2u}, std::tuple{"sdb1", 1u, 1u}, std::tuple{"nvme0n1p3", 2u, 3u}}) {
    const Handle volume =
        desktop.os.CreateFileW(VolumePath(name), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
    ASSERT_NE(volume, INVALID_HANDLE_VALUE) << name;
    std::uint8_t reply[1024] = {};
    std::uint32_t returned = 0;
    ASSERT_TRUE(
        desktop.os.DeviceIoControl(volume, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, reply, 1024, &returned));
    EXPECT_EQ(returned, 12u);
    EXPECT_EQ(GetU32(reply, layout::DeviceNumberDeviceType), 7u);
    EXPECT_EQ(GetU32(reply, layout::DeviceNumberDeviceNumber), drive) << name;
    EXPECT_EQ(GetU32(reply, layout::DeviceNumberPartitionNumber), partition) << name;
    desktop.os.CloseHandle(volume);
  }
  EXPECT_EQ(desktop.OpenVolume("sdc1"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(VolumeLocking, LockUnmountsEveryMountPointThenHoldsThePartitionUntilClosed) {
  Desktop desktop;
  const Handle stick = desktop.OpenVolume("sdb1");
  EXPECT_FALSE(desktop.Request(stick, FSCTL_DISMOUNT_VOLUME));  // nothing is dismounted without the lock
  ASSERT_TRUE(desktop.Request(stick, FSCTL_LOCK_VOLUME));
  EXPECT_EQ(desktop.kernel.CountCalls("unmount /media/anna/MY STICK"), 1);
  ASSERT_EQ(desktop.kernel.OpenCount(), 1);
  EXPECT_EQ(desktop.kernel.openFiles.begin()->second.path, desktop.Node("sdb1"));
  EXPECT_NE(desktop.kernel.openFiles.begin()->second.flags & O_EXCL, 0);
  EXPECT_TRUE(desktop.Request(stick, FSCTL_DISMOUNT_VOLUME));
  EXPECT_TRUE(desktop.Request(stick, FSCTL_ALLOW_EXTENDED_DASD_IO));
  EXPECT_EQ(desktop.os.UnmountsOf(stick), (std::vector<Unmount>{{u"/media/anna/MY STICK", u"/dev/sdb1"}}));
  desktop.os.CloseHandle(stick);
  EXPECT_EQ(desktop.kernel.OpenCount(), 0);
}

TEST(VolumeLocking, BusyFileSystemRefusesAndNothingIsHeld) {
  Desktop desktop;
  desktop.kernel.unmountErrors["/data"] = EBUSY;
  const Handle data = desktop.OpenVolume("sda1");
  EXPECT_FALSE(desktop.Request(data, FSCTL_LOCK_VOLUME));
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(desktop.kernel.OpenCount(), 0);
  EXPECT_EQ(desktop.kernel.CountCalls("open"), 0);
  EXPECT_TRUE(desktop.os.UnmountsOf(data).empty());
}

// The names a list shows: the node, the by-id link with the model and
// serial (not the bare world-wide name), and the state, from links, sysfs
// and mountinfo alone.
TEST(DriveNames, NodeStableLinkAndStateWithoutOpeningAnything) {
  Desktop desktop;
  desktop.tree.WriteFile("/dev/sda", "");
  desktop.tree.WriteFile("/dev/sdb", "");
  std::filesystem::create_directories(desktop.tree.Root() + "/dev/disk/by-id");
  std::filesystem::create_symlink("../../sda", desktop.tree.Root() + "/dev/disk/by-id/wwn-0x5000c500a1b2c3d4");
  std::filesystem::create_symlink("../../sda", desktop.tree.Root() + "/dev/disk/by-id/ata-ST2000DM008_ZFL0A1B2");
  std::filesystem::create_symlink("../../sdb", desktop.tree.Root() + "/dev/disk/by-id/usb-Stick_0001-0:0");
  desktop.tree.WriteFile("/sys/block/sdb/ro", "1\n");

  const DriveNames disk = desktop.os.DriveNamesOf(0);
  EXPECT_EQ(disk.devicePath, u"/dev/sda");
  EXPECT_EQ(disk.stableLink, u"/dev/disk/by-id/ata-ST2000DM008_ZFL0A1B2");
  EXPECT_TRUE(disk.mounted);  // sda1 at /data
  EXPECT_FALSE(disk.readOnly);
  const DriveNames stick = desktop.os.DriveNamesOf(1);
  EXPECT_EQ(stick.stableLink, u"/dev/disk/by-id/usb-Stick_0001-0:0");
  EXPECT_TRUE(stick.readOnly);
  desktop.tree.RemoveMount("/media/anna/MY STICK");
  EXPECT_FALSE(desktop.os.DriveNamesOf(1).mounted);
  // No link for the NVMe drive: the name from sysfs, its serial number.
  EXPECT_EQ(desktop.os.DriveNamesOf(2).stableLink, u"serial:S4EWNX0R123456A");
  EXPECT_EQ(desktop.kernel.CountCalls("open"), 0);
}

TEST(VolumeLocking, SwapAndStackedDevicesRefuseTheExclusiveHold) {
  Desktop desktop;
  desktop.kernel.claimed = {desktop.Node("sda2"), desktop.Node("nvme0n1p3")};
  for (const char* name : {"sda2", "nvme0n1p3"}) {
    const Handle volume = desktop.OpenVolume(name);
    EXPECT_FALSE(desktop.Request(volume, FSCTL_LOCK_VOLUME)) << name;
    EXPECT_EQ(desktop.os.GetLastError(), ERROR_SHARING_VIOLATION);
  }
  EXPECT_EQ(desktop.kernel.CountCalls("unmount"), 0);
  EXPECT_EQ(desktop.kernel.OpenCount(), 0);
}

TEST(VolumeLocking, SecondHandleCannotLockWhatTheFirstHolds) {
  Desktop desktop;
  const Handle first = desktop.OpenVolume("sdb1");
  const Handle second = desktop.OpenVolume("sdb1");
  ASSERT_TRUE(desktop.Request(first, FSCTL_LOCK_VOLUME));
  EXPECT_FALSE(desktop.Request(second, FSCTL_LOCK_VOLUME));
  desktop.os.CloseHandle(first);
  EXPECT_TRUE(desktop.Request(second, FSCTL_LOCK_VOLUME));
}

TEST(VolumeUse, MountInfoUndoesEscapesAndFindsFileSystemsBySource) {
  const auto mounts = linux_backend::ParseMountInfo(
      "36 35 98:0 /mnt1 /mnt/with\\040blank rw,noatime master:1 - ext3 /dev/root rw,errors=continue\n"
      "40 22 0:45 / /srv/pool rw,relatime shared:9 - btrfs /dev/sda1 rw,space_cache\n"
      "garbage line\n");
  ASSERT_EQ(mounts.size(), 2u);
  EXPECT_EQ(mounts[0].mountPoint, "/mnt/with blank");
  EXPECT_EQ((mounts[0].device), (linux_backend::DeviceNumber{98, 0}));
  EXPECT_EQ(mounts[1].source, "/dev/sda1");

  // btrfs reports an anonymous device number; the source names the partition.
  TreeCopy tree("desktop");
  tree.WriteFile("/proc/self/mountinfo", "40 22 0:45 / /srv/pool rw,relatime shared:9 - btrfs /dev/sda1 rw\n");
  const linux_backend::SystemTree system(tree.Root());
  const auto volume = linux_backend::Volume{"sda1", 0, 1, {8, 1}};
  EXPECT_EQ(linux_backend::VolumeUse::Read(system).MountPointsOf(system, volume),
            std::vector<std::string>{"/srv/pool"});
}

// The holders of a volume from /proc: a process counts when a link or a
// mapping of it is on the device; what cannot be read is skipped, and with
// no /proc at all nobody can tell.
TEST(VolumeHolders, ProcessesWithAFileOfTheDeviceMappedInPidOrder) {
  TreeCopy tree("desktop");
  tree.WriteFile("/proc/900/comm", "editor\n");
  tree.WriteFile("/proc/900/maps", "7f00-7f10 r--p 00000000 08:01 131 /data/notes.txt\n");
  tree.WriteFile("/proc/31/comm", "less\n");
  tree.WriteFile("/proc/31/maps", "55d0-55e0 r-xp 00000000 fe:00 7 /usr/bin/less\n7f00-7f10 r--p 0 08:01 9 /data/x\n");
  tree.WriteFile("/proc/32/comm", "bash\n");
  tree.WriteFile("/proc/32/maps", "55d0-55e0 r-xp 00000000 08:11 7 /usr/bin/bash\n");
  tree.WriteFile("/proc/sys/comm", "not a process\n");
  const std::string self = "/proc/" + std::to_string(getpid());
  tree.WriteFile(self + "/comm", "orvella-cli\n");  // this program, the drive open: no holder
  tree.WriteFile(self + "/maps", "7f00-7f10 r--p 00000000 08:01 131 /data/own.txt\n");
  const linux_backend::SystemTree system(tree.Root());
  EXPECT_EQ(linux_backend::ProcessesHolding(system, {8, 1}),
            (std::vector<VolumeHolder>{{31, u"less"}, {900, u"editor"}}));
  EXPECT_EQ(linux_backend::ProcessesHolding(system, {8, 2}), std::vector<VolumeHolder>{});

  const linux_backend::SystemTree noProc(tree.Root() + "/nonexistent");
  EXPECT_EQ(linux_backend::ProcessesHolding(noProc, {8, 1}), std::nullopt);
  EXPECT_FALSE(linux_backend::MapsLineIsOnDevice("7f00-7f10 r--p 00000000 zz:01 131 /x", {8, 1}));
  EXPECT_FALSE(linux_backend::MapsLineIsOnDevice("short line", {8, 1}));
  EXPECT_TRUE(linux_backend::MapsLineIsOnDevice("7f00-7f10 r--p 00000000 103:0a 5 /x", {259, 10}));
}

}  // namespace
}  // namespace orvella::test
