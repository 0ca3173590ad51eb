// The chosen drive's handle against a stand-in kernel: the exclusive open,
// the lazy write open, the claim of the whole disk for an erase, write
// protection, direct positioned writes and reads, the guard against writing over
// volumes in use, lost drives, and the partition table re-read.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/linux/error_mapping.h"
#include "platform/linux/linux_os.h"
#include "platform_linux/fake_kernel.h"
#include "platform_linux/linux_test_support.h"

namespace orvella::test {
namespace {

constexpr int kStick = 1;  // sdb in the desktop tree, its sdb1 mounted
constexpr const char* kMountInfo = "/proc/self/mountinfo";
constexpr const char* kSwaps = "/proc/swaps";
constexpr const char* kDataMounted = "26 22 8:1 / /data rw,noatime shared:5 - ext4 /dev/sda1 rw\n";

// Past the time for which one look of the write guard counts.
void AfterGuardPeriod() { std::this_thread::sleep_for(std::chrono::milliseconds(120)); }

struct Desktop {
  Desktop() : kernel(tree.Root()), os(kernel, tree.Root()) {
    kernel.onUnmount = [this](const std::string& point) { tree.RemoveMount(point); };
  }
  std::string Node(const std::string& name) const { return tree.Root() + "/dev/" + name; }
  // Nothing mounted and no swap: every drive is free to write.
  void Unmounted() {
    tree.WriteFile("/proc/self/mountinfo", "");
    tree.WriteFile("/proc/swaps", "Filename Type Size Used Priority\n");
  }
  // The mount table and the swap areas open as the kernel's do: a change
  // shows only once marked.
  void Watched() {
    kernel.pollable = {tree.Root() + kMountInfo, tree.Root() + kSwaps};
  }
  void Change(const char* table, const std::string& content) {
    tree.WriteFile(table, content);
    kernel.changed.insert(tree.Root() + table);
  }
  Handle OpenExclusive(int drive) {
    return os.CreateFileW(DrivePath(drive), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
  }
  bool WriteAt(Handle disk, std::int64_t offset, std::uint32_t length) {
    std::uint32_t written = 0;
    return os.SetFilePointerEx(disk, offset, nullptr, FILE_BEGIN) && os.WriteFile(disk, buffer, length, &written) &&
           written == length;
  }

  TreeCopy tree{"desktop"};
  FakeKernel kernel;
  LinuxOs os;
  alignas(4096) std::uint8_t buffer[65536] = {};
};

// A look at a drive (details, S.M.A.R.T.) never opens it for writing, so
// closing it makes udev re-read nothing; the first write opens it direct.
TEST(DiskHandle, ExclusiveOpenIsReadOnlyWithAWholeDiskFlockUntilTheFirstWrite) {
  Desktop desktop;
  desktop.Unmounted();
  const Handle disk = desktop.OpenExclusive(0);
  ASSERT_NE(disk, INVALID_HANDLE_VALUE);
  EXPECT_EQ(desktop.os.GetLastError(), 0u);
  ASSERT_EQ(desktop.kernel.OpenCount(), 1);
  const auto& file = desktop.kernel.openFiles.begin()->second;
  EXPECT_EQ(file.path, desktop.Node("sda"));
  EXPECT_EQ(file.flags & O_ACCMODE, O_RDONLY);
  EXPECT_EQ(desktop.kernel.CountCalls("flock exclusive"), 1);

  ASSERT_TRUE(desktop.WriteAt(disk, 0, 512));
  ASSERT_EQ(desktop.kernel.OpenCount(), 2);
  const auto& writer = desktop.kernel.openFiles.rbegin()->second;
  EXPECT_EQ(writer.path, desktop.Node("sda"));
  EXPECT_EQ(writer.flags & O_ACCMODE, O_RDWR);
  EXPECT_NE(writer.flags & O_DIRECT, 0);
  EXPECT_EQ(writer.flags & O_EXCL, 0);
  EXPECT_EQ(desktop.kernel.writes.at(0).fd, desktop.kernel.openFiles.rbegin()->first);
  ASSERT_TRUE(desktop.WriteAt(disk, 512, 512));
  EXPECT_EQ(desktop.kernel.CountCalls("open"), 2);  // opened for writing once
  desktop.os.CloseHandle(disk);
  EXPECT_EQ(desktop.kernel.OpenCount(), 0);
}

TEST(DiskHandle, FlockHeldElsewhereIsASharingViolationAfterBriefRetries) {
  Desktop desktop;
  desktop.kernel.flockErrors = {EWOULDBLOCK, EWOULDBLOCK, EWOULDBLOCK, EWOULDBLOCK, EWOULDBLOCK};
  EXPECT_EQ(desktop.OpenExclusive(0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(desktop.kernel.OpenCount(), 0);
  EXPECT_LE(desktop.kernel.sleptMilliseconds, 100u);

  desktop.kernel.flockErrors = {EWOULDBLOCK};  // udev looking at the drive for a moment
  EXPECT_NE(desktop.OpenExclusive(0), INVALID_HANDLE_VALUE);
}

TEST(DiskHandle, ProbeOpensAreReadOnlyAndTakeNoLock) {
  Desktop desktop;
  const Handle disk =
      desktop.os.CreateFileW(DrivePath(0), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
  ASSERT_NE(disk, INVALID_HANDLE_VALUE);
  EXPECT_EQ(desktop.kernel.openFiles.begin()->second.flags & O_ACCMODE, O_RDONLY);
  EXPECT_EQ(desktop.kernel.CountCalls("flock"), 0);
  EXPECT_FALSE(desktop.WriteAt(disk, 0, 512));
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(DiskHandle, WriteProtectedDriveOpensReadOnlyAndEveryWriteFailsWith19) {
  Desktop desktop;
  desktop.tree.WriteFile("/sys/block/sda/ro", "1\n");
  const Handle disk = desktop.OpenExclusive(0);
  ASSERT_NE(disk, INVALID_HANDLE_VALUE);
  EXPECT_EQ(desktop.kernel.openFiles.begin()->second.flags & O_ACCMODE, O_RDONLY);
  EXPECT_FALSE(desktop.WriteAt(disk, 0, 65536));
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_WRITE_PROTECT);
  EXPECT_TRUE(desktop.kernel.writes.empty());

  // A drive that does not say so but refuses read-write opens.
  desktop.kernel.writeOpenErrors[desktop.Node("sdb")] = EROFS;
  const Handle stick = desktop.OpenExclusive(kStick);
  ASSERT_NE(stick, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(desktop.WriteAt(stick, 0, 512));
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_WRITE_PROTECT);
}

TEST(DiskHandle, WritesGoWhereTheFilePointerIsAndAdvanceIt) {
  Desktop desktop;
  desktop.Unmounted();
  const Handle disk = desktop.OpenExclusive(0);
  ASSERT_TRUE(desktop.WriteAt(disk, 1048576, 65536));
  std::uint32_t written = 0;
  ASSERT_TRUE(desktop.os.WriteFile(disk, desktop.buffer, 4096, &written));
  std::int64_t position = 0;
  ASSERT_TRUE(desktop.os.SetFilePointerEx(disk, 0, &position, 1 /* FILE_CURRENT */));
  EXPECT_EQ(position, 1048576 + 65536 + 4096);
  ASSERT_EQ(desktop.kernel.writes.size(), 2u);
  EXPECT_EQ(desktop.kernel.writes[0].offset, 1048576);
  EXPECT_EQ(desktop.kernel.writes[1].offset, 1048576 + 65536);
  EXPECT_TRUE(desktop.os.FlushFileBuffers(disk));
  EXPECT_EQ(desktop.kernel.CountCalls("fsync"), 1);
}

TEST(DiskHandle, ReadsComeFromWhereTheFilePointerIsAndAdvanceIt) {
  Desktop desktop;
  desktop.Unmounted();
  const Handle disk = desktop.OpenExclusive(0);
  desktop.buffer[0] = 0xAB;
  std::uint32_t read = 0;
  ASSERT_TRUE(desktop.os.SetFilePointerEx(disk, 4096, nullptr, FILE_BEGIN));
  ASSERT_TRUE(desktop.os.ReadFile(disk, desktop.buffer, 65536, &read));
  EXPECT_EQ(read, 65536u);
  EXPECT_EQ(desktop.buffer[0], 0);  // the fake kernel's drive holds zeros
  ASSERT_TRUE(desktop.os.ReadFile(disk, desktop.buffer, 512, &read));
  ASSERT_EQ(desktop.kernel.reads.size(), 2u);
  EXPECT_EQ(desktop.kernel.reads[0].offset, 4096);
  EXPECT_EQ(desktop.kernel.reads[1].offset, 4096 + 65536);

  desktop.kernel.readError = EIO;
  EXPECT_FALSE(desktop.os.ReadFile(disk, desktop.buffer, 512, &read));
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_IO_DEVICE);
  EXPECT_EQ(read, 0u);
}

TEST(DiskHandle, ZeroWritesAndReadBacksGoWhereThePointerIsAndFailLikeWrites) {
  Desktop desktop;
  desktop.Unmounted();
  const Handle disk = desktop.OpenExclusive(0);
  std::uint32_t written = 0;
  ASSERT_TRUE(desktop.os.SetFilePointerEx(disk, 1048576, nullptr, FILE_BEGIN));
  ASSERT_TRUE(desktop.os.WriteZeros(disk, nullptr, 65536, &written));
  EXPECT_EQ(written, 65536u);
  std::vector<ByteSpan> nonZero{{0, 512}};
  ASSERT_TRUE(desktop.os.ReadZeros(disk, nullptr, 4096, 512, &nonZero));
  EXPECT_TRUE(nonZero.empty());  // the fake kernel's drive holds zeros
  std::int64_t position = 0;
  ASSERT_TRUE(desktop.os.SetFilePointerEx(disk, 0, &position, 1 /* FILE_CURRENT */));
  EXPECT_EQ(position, 1048576 + 65536 + 4096);
  ASSERT_EQ(desktop.kernel.writes.size(), 1u);
  EXPECT_EQ(desktop.kernel.writes[0].offset, 1048576);
  EXPECT_EQ(desktop.kernel.writes[0].length, 65536u);
  EXPECT_EQ(desktop.kernel.reads.at(0).offset, 1048576 + 65536);
  EXPECT_EQ(desktop.kernel.reads.at(0).fd, desktop.kernel.writes[0].fd);  // direct, like the writes

  desktop.kernel.writeError = EIO;
  EXPECT_FALSE(desktop.os.WriteZeros(disk, nullptr, 65536, &written));
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_IO_DEVICE);
  EXPECT_EQ(written, 0u);
  ASSERT_TRUE(desktop.os.SetFilePointerEx(disk, 0, &position, 1 /* FILE_CURRENT */));
  EXPECT_EQ(position, 1048576 + 65536 + 4096);  // a failed write does not move on
}

TEST(DiskHandle, ZeroWritesMeetWriteProtectionAsWritesDo) {
  Desktop desktop;
  desktop.Unmounted();
  desktop.kernel.writeOpenErrors[desktop.Node("sda")] = EROFS;
  const Handle disk = desktop.OpenExclusive(0);
  std::uint32_t written = 0;
  EXPECT_FALSE(desktop.os.WriteZeros(disk, nullptr, 65536, &written));
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_WRITE_PROTECT);
  EXPECT_TRUE(desktop.kernel.writes.empty());
}

TEST(DiskHandle, NoWriteReachesADriveWhoseVolumeIsStillInUse) {
  Desktop desktop;
  const Handle stick = desktop.OpenExclusive(kStick);
  EXPECT_FALSE(desktop.WriteAt(stick, 0, 65536));
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(desktop.kernel.writes.empty());

  const Handle volume = desktop.os.CreateFileW(VolumePath("sdb1"), GENERIC_READ, 3, OPEN_EXISTING, 0);
  ASSERT_TRUE(desktop.os.DeviceIoControl(volume, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, nullptr));
  EXPECT_TRUE(desktop.WriteAt(stick, 0, 65536));
  EXPECT_EQ(desktop.kernel.writes.size(), 1u);
}

// Between writes the guard reads the tables again only once the kernel marks
// one of them changed; what it still looks at each time is the partitions
// and the holders, which no table shows.
TEST(WriteGuard, ReadsTheTablesAgainOnlyWhenTheKernelMarksAChangeAndThenRefuses) {
  Desktop desktop;
  desktop.Unmounted();
  desktop.Watched();
  const Handle disk = desktop.OpenExclusive(0);
  ASSERT_TRUE(desktop.WriteAt(disk, 0, 65536));
  EXPECT_EQ(desktop.os.FullUseLooks(), 1u);
  desktop.tree.WriteFile(kMountInfo, kDataMounted);  // not marked: not read
  for (int look = 0; look < 2; ++look) {
    AfterGuardPeriod();
    ASSERT_TRUE(desktop.WriteAt(disk, 65536, 65536));
  }
  EXPECT_EQ(desktop.os.FullUseLooks(), 1u);
  EXPECT_EQ(desktop.kernel.CountCalls("poll"), 4);  // both tables at each later look

  desktop.Change(kMountInfo, kDataMounted);
  EXPECT_TRUE(desktop.WriteAt(disk, 0, 512));  // within the period of the last look
  AfterGuardPeriod();
  EXPECT_FALSE(desktop.WriteAt(disk, 0, 512));
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(desktop.os.FullUseLooks(), 2u);
  EXPECT_EQ(desktop.kernel.writes.size(), 4u);
}

TEST(WriteGuard, SeesASwapAreaAStackedDeviceAndOurOwnLocksBetweenFullLooks) {
  Desktop desktop;
  desktop.Unmounted();
  desktop.Watched();
  const Handle disk = desktop.OpenExclusive(0);
  ASSERT_TRUE(desktop.WriteAt(disk, 0, 512));
  desktop.Change(kSwaps, "Filename Type Size Used Priority\n/dev/sda2 partition 1024 0 -2\n");
  AfterGuardPeriod();
  EXPECT_FALSE(desktop.WriteAt(disk, 0, 512));
  desktop.Change(kSwaps, "Filename Type Size Used Priority\n");
  AfterGuardPeriod();
  ASSERT_TRUE(desktop.WriteAt(disk, 0, 512));

  desktop.tree.WriteFile("/sys/block/sda/sda1/holders/dm-0", "");  // no table changes for it
  AfterGuardPeriod();
  EXPECT_FALSE(desktop.WriteAt(disk, 0, 512));
  const std::uint64_t looks = desktop.os.FullUseLooks();

  // Our lock of the held volume: the volumes ours changed, so a full look.
  const Handle volume = desktop.os.CreateFileW(VolumePath("sda1"), GENERIC_READ, 3, OPEN_EXISTING, 0);
  ASSERT_TRUE(desktop.os.DeviceIoControl(volume, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, nullptr));
  AfterGuardPeriod();
  EXPECT_TRUE(desktop.WriteAt(disk, 0, 512));
  EXPECT_EQ(desktop.os.FullUseLooks(), looks + 1);
  desktop.os.CloseHandle(volume);
  AfterGuardPeriod();
  EXPECT_FALSE(desktop.WriteAt(disk, 0, 512));
}

// Where the tables cannot be watched, every look reads them.
TEST(WriteGuard, ReadsTheTablesAtEveryLookWhereTheyCannotBeWatched) {
  Desktop desktop;
  desktop.Unmounted();
  const Handle disk = desktop.OpenExclusive(0);
  ASSERT_TRUE(desktop.WriteAt(disk, 0, 512));
  AfterGuardPeriod();
  ASSERT_TRUE(desktop.WriteAt(disk, 0, 512));
  EXPECT_EQ(desktop.os.FullUseLooks(), 2u);
  desktop.tree.WriteFile(kMountInfo, kDataMounted);
  AfterGuardPeriod();
  EXPECT_FALSE(desktop.WriteAt(disk, 0, 512));
}

bool Claim(Desktop& desktop, Handle disk) {
  return desktop.os.DeviceIoControl(disk, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, nullptr);
}

// The erase's claim: the whole disk with O_EXCL, so that no other program
// can claim, mount or lock the disk or any of its partitions meanwhile.
TEST(DiskClaim, HoldsTheWholeDiskSoThatNoPartOfItCanBeClaimedUntilTheUnlock) {
  Desktop desktop;
  desktop.Unmounted();
  const Handle disk = desktop.OpenExclusive(0);
  ASSERT_TRUE(Claim(desktop, disk));
  const auto& claim = desktop.kernel.openFiles.rbegin()->second;
  EXPECT_EQ(claim.path, desktop.Node("sda"));
  EXPECT_EQ(claim.flags & O_ACCMODE, O_RDWR);
  EXPECT_NE(claim.flags & O_EXCL, 0);
  EXPECT_NE(claim.flags & O_DIRECT, 0);
  for (const char* node : {"sda", "sda1", "sda2"}) EXPECT_TRUE(desktop.kernel.ClaimRefused(desktop.Node(node)));
  EXPECT_FALSE(desktop.kernel.ClaimRefused(desktop.Node("sdb1")));  // other disks stay free

  ASSERT_TRUE(desktop.WriteAt(disk, 0, 65536));
  EXPECT_EQ(desktop.kernel.writes.at(0).fd, desktop.kernel.openFiles.rbegin()->first);  // through the claim
  EXPECT_EQ(desktop.kernel.CountCalls("open"), 2);

  ASSERT_TRUE(desktop.os.DeviceIoControl(disk, FSCTL_UNLOCK_VOLUME, nullptr, 0, nullptr, 0, nullptr));
  EXPECT_FALSE(desktop.kernel.ClaimRefused(desktop.Node("sda1")));
  EXPECT_EQ(desktop.kernel.OpenCount(), 1);
}

TEST(DiskClaim, IsRefusedWhileAnotherProgramHoldsAPartitionAndNothingIsWritten) {
  Desktop desktop;
  desktop.Unmounted();
  desktop.kernel.claimed.insert(desktop.Node("sda2"));
  const Handle disk = desktop.OpenExclusive(0);
  EXPECT_FALSE(Claim(desktop, disk));
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(desktop.kernel.OpenCount(), 1);
  EXPECT_TRUE(desktop.kernel.writes.empty());
  desktop.kernel.claimed.clear();
  EXPECT_TRUE(Claim(desktop, disk));
}

TEST(DiskClaim, IsRefusedWhileAVolumeOfTheDriveIsStillMounted) {
  Desktop desktop;
  const Handle stick = desktop.OpenExclusive(kStick);
  EXPECT_FALSE(Claim(desktop, stick));
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(desktop.kernel.OpenCount(), 1);  // the claim let go at once
  EXPECT_FALSE(desktop.kernel.ClaimRefused(desktop.Node("sdb")));
}

TEST(DiskClaim, NeedsAHandleOpenedForWriting) {
  Desktop desktop;
  desktop.Unmounted();
  const Handle look =
      desktop.os.CreateFileW(DrivePath(0), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
  EXPECT_FALSE(Claim(desktop, look));
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(desktop.kernel.OpenCount(), 1);
}

// The volume locks of the drive hold its partitions, which the kernel lets
// no whole-disk claim pass: they give way to the claim, which holds them all.
TEST(DiskClaim, TakesOverTheVolumeLocksAndTheRereadWaitsForTheRelease) {
  Desktop desktop;
  const Handle stick = desktop.OpenExclusive(kStick);
  const Handle volume = desktop.os.CreateFileW(VolumePath("sdb1"), GENERIC_READ, 3, OPEN_EXISTING, 0);
  ASSERT_TRUE(desktop.os.DeviceIoControl(volume, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, nullptr));
  ASSERT_TRUE(desktop.kernel.HeldExclusively(desktop.Node("sdb1")));
  ASSERT_TRUE(Claim(desktop, stick));
  EXPECT_FALSE(desktop.kernel.HeldExclusively(desktop.Node("sdb1")));
  EXPECT_TRUE(desktop.kernel.HeldExclusively(desktop.Node("sdb")));
  EXPECT_TRUE(desktop.os.DeviceIoControl(volume, FSCTL_DISMOUNT_VOLUME, nullptr, 0, nullptr, 0, nullptr));
  EXPECT_TRUE(desktop.WriteAt(stick, 0, 65536));

  EXPECT_TRUE(desktop.os.DeviceIoControl(stick, IOCTL_DISK_UPDATE_PROPERTIES, nullptr, 0, nullptr, 0, nullptr));
  desktop.os.CloseHandle(volume);
  EXPECT_EQ(desktop.kernel.CountCalls("ioctl BLKRRPART"), 0);  // the claim still holds
  ASSERT_TRUE(desktop.os.DeviceIoControl(stick, FSCTL_UNLOCK_VOLUME, nullptr, 0, nullptr, 0, nullptr));
  EXPECT_EQ(desktop.kernel.CountCalls("ioctl BLKRRPART"), 1);
  EXPECT_EQ(desktop.kernel.OpenCount(), 1);
}

// Whether a drive may be written is judged from mountinfo, the swaps and the
// holders: no other disk, and no partition, is opened to find out.
TEST(DiskHandle, TheWriteGuardOpensNothingButTheDriveItself) {
  Desktop desktop;
  desktop.Unmounted();
  desktop.kernel.claimed.insert(desktop.Node("sdb1"));
  const Handle disk = desktop.OpenExclusive(0);
  ASSERT_TRUE(desktop.WriteAt(disk, 0, 512));
  for (const std::string& call : desktop.kernel.calls) {
    if (call.rfind("open ", 0) == 0) {
      EXPECT_EQ(call, "open " + desktop.Node("sda"));
    }
  }
}

TEST(DiskHandle, AWriteAnsweredWithNoDeviceIsDeviceGone) {
  for (const int error : {ENODEV, ENXIO}) {
    Desktop desktop;
    desktop.Unmounted();
    const Handle disk = desktop.OpenExclusive(0);
    ASSERT_TRUE(Claim(desktop, disk));
    desktop.kernel.writeError = error;
    EXPECT_FALSE(desktop.WriteAt(disk, 0, 512));
    EXPECT_EQ(desktop.os.GetLastError(), ERROR_DEV_NOT_EXIST) << error;
  }
}

TEST(DiskHandle, IoErrorOfADriveThatLeftSysfsIsDeviceGone) {
  Desktop desktop;
  desktop.Unmounted();
  const Handle disk = desktop.OpenExclusive(0);
  desktop.kernel.writeError = EIO;
  EXPECT_FALSE(desktop.WriteAt(disk, 0, 512));
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_IO_DEVICE);
  desktop.tree.WriteFile("/sys/block/sda/diskseq", "42\n");  // another disk took the name
  EXPECT_FALSE(desktop.WriteAt(disk, 0, 512));
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_DEV_NOT_EXIST);
  EXPECT_EQ(desktop.OpenExclusive(0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_DEV_NOT_EXIST);
}

// While the kernel takes a disk away it shrinks it to nothing before its
// sysfs entry goes: transfers then end as at the end of the drive, which is
// the drive gone, not a bad request.
TEST(DiskHandle, TransfersMeetingTheEndOfADriveShrunkToNothingAreDeviceGone) {
  Desktop desktop;
  desktop.Unmounted();
  const Handle disk = desktop.OpenExclusive(0);
  ASSERT_TRUE(Claim(desktop, disk));
  std::uint32_t moved = 0;
  std::vector<ByteSpan> nonZero;
  ASSERT_TRUE(desktop.os.SetFilePointerEx(disk, 1000204886016, nullptr, FILE_BEGIN));  // its end
  EXPECT_FALSE(desktop.os.ReadFile(disk, desktop.buffer, 1024, &moved));
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_INVALID_PARAMETER);  // past the end of a drive still there

  desktop.kernel.nodes[desktop.Node("sda")].length = 0;
  ASSERT_TRUE(desktop.os.SetFilePointerEx(disk, 0, nullptr, FILE_BEGIN));
  EXPECT_FALSE(desktop.WriteAt(disk, 0, 512));
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_DEV_NOT_EXIST);
  EXPECT_FALSE(desktop.os.ReadFile(disk, desktop.buffer, 512, &moved));
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_DEV_NOT_EXIST);
  EXPECT_FALSE(desktop.os.WriteZeros(disk, nullptr, 65536, &moved));
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_DEV_NOT_EXIST);
  EXPECT_FALSE(desktop.os.ReadZeros(disk, nullptr, 65536, 512, &nonZero));
  EXPECT_EQ(desktop.os.GetLastError(), ERROR_DEV_NOT_EXIST);
}

TEST(DiskHandle, PropertyUpdateRereadsThePartitionTableRetryingWhileBusy) {
  Desktop desktop;
  const Handle disk = desktop.OpenExclusive(0);
  desktop.kernel.rereadErrors = {EBUSY, EBUSY};
  EXPECT_TRUE(desktop.os.DeviceIoControl(disk, IOCTL_DISK_UPDATE_PROPERTIES, nullptr, 0, nullptr, 0, nullptr));
  EXPECT_EQ(desktop.kernel.CountCalls("ioctl BLKRRPART"), 3);
}

TEST(DiskHandle, PropertyUpdateWaitsUntilTheLockedVolumesAreReleased) {
  Desktop desktop;
  const Handle disk = desktop.OpenExclusive(kStick);
  const Handle volume = desktop.os.CreateFileW(VolumePath("sdb1"), GENERIC_READ, 3, OPEN_EXISTING, 0);
  ASSERT_TRUE(desktop.os.DeviceIoControl(volume, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, nullptr));
  EXPECT_TRUE(desktop.os.DeviceIoControl(disk, IOCTL_DISK_UPDATE_PROPERTIES, nullptr, 0, nullptr, 0, nullptr));
  EXPECT_EQ(desktop.kernel.CountCalls("ioctl BLKRRPART"), 0);
  desktop.os.CloseHandle(volume);
  EXPECT_EQ(desktop.kernel.CountCalls("ioctl BLKRRPART"), 1);
}

TEST(ErrorMapping, ErrnoValuesGiveTheCodesTheProgramTestsFor) {
  using linux_backend::WindowsErrorOf;
  EXPECT_EQ(WindowsErrorOf(EROFS), ERROR_WRITE_PROTECT);
  EXPECT_EQ(WindowsErrorOf(EPERM), ERROR_WRITE_PROTECT);
  EXPECT_EQ(WindowsErrorOf(ENOMEDIUM), ERROR_NOT_READY);
  EXPECT_EQ(WindowsErrorOf(ETIMEDOUT), ERROR_SEM_TIMEOUT);
  EXPECT_EQ(WindowsErrorOf(EIO), ERROR_IO_DEVICE);
  EXPECT_EQ(WindowsErrorOf(ENODATA), ERROR_IO_DEVICE);
  EXPECT_EQ(WindowsErrorOf(ENODEV), ERROR_DEV_NOT_EXIST);
  EXPECT_EQ(WindowsErrorOf(ENXIO), ERROR_DEV_NOT_EXIST);
  EXPECT_EQ(WindowsErrorOf(EBUSY), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(linux_backend::WindowsOpenErrorOf(EPERM), ERROR_ACCESS_DENIED);
  for (int e = 1; e < 134; ++e) {
    const std::uint32_t code = WindowsErrorOf(e);
    EXPECT_NE(linux_backend::ErrorText(code), u"Unknown error.") << "errno " << e;
  }
}

}  // namespace
}  // namespace orvella::test
