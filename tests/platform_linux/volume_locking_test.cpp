// Volumes of the desktop tree: what the drive strings list, the storage
// device numbers, and locking by unmounting and holding a partition.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/byte_order.h"
#include "platform/linux/linux_os.h"
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

TEST(VolumeUse, DriveStringsAlsoListWhatAnotherProgramHoldsExclusively) {
  Desktop desktop;
  desktop.tree.RemoveMount("/data");
  EXPECT_EQ(DriveStrings(desktop.os).find("sda1\\"), std::string::npos);
  desktop.kernel.claimed.insert(desktop.Node("sda1"));
  EXPECT_EQ(DriveStrings(desktop.os).substr(0, 11), "sda1\\|sda2\\");
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

}  // namespace
}  // namespace orvella::test
