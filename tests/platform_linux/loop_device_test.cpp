// The Linux backend on real block devices: loop devices that each test makes
// over a sparse file of its own (root only; skipped with the reason where
// loop devices cannot be had). No other disk of the machine is written.
#include "platform_linux/loop_device.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "catalogue/enumeration.h"
#include "core/program.h"
#include "platform/linux/linux_os.h"
#include "platform_linux/linux_test_support.h"
#include "support/fakes.h"

namespace orvella::test {
namespace {

#define ATTACH_OR_SKIP(loop, options)                      \
  std::string whyNot;                                      \
  const auto loop = LoopDevice::Attach((options), whyNot); \
  if (!loop) GTEST_SKIP() << whyNot

LoopDevice::Options Sized(std::uint64_t size) {
  LoopDevice::Options options;
  options.size = size;
  return options;
}

constexpr std::uint32_t kBlock = 1 << 20;

// The drive number of the test's own loop device; every write below goes to
// this number only.
int DriveNumberOf(LinuxOs& os, const LoopDevice& loop) {
  const auto& drives = os.Drives();
  for (std::size_t n = 0; n < drives.size(); ++n)
    if (drives[n].name == loop.Name()) return static_cast<int>(n);
  ADD_FAILURE() << loop.Name() << " is not in the drive list";
  return -1;
}

struct OpenLoop {
  explicit OpenLoop(const LoopDevice& loop) : number(DriveNumberOf(os, loop)) {
    buffer = static_cast<std::uint8_t*>(os.AllocateAligned(kBlock));
    std::fill(buffer, buffer + kBlock, 0);
  }
  ~OpenLoop() { os.FreeAligned(buffer); }
  Handle OpenExclusive() {
    return os.CreateFileW(DrivePath(number), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
  }
  bool WriteZeros(Handle disk, std::int64_t offset) {
    std::uint32_t written = 0;
    return os.SetFilePointerEx(disk, offset, nullptr, FILE_BEGIN) && os.WriteFile(disk, buffer, kBlock, &written) &&
           written == kBlock;
  }
  bool Request(Handle handle, std::uint32_t code) {
    return os.DeviceIoControl(handle, code, nullptr, 0, nullptr, 0, nullptr);
  }

  LinuxOs os;
  int number;
  std::uint8_t* buffer = nullptr;
};

TEST(LoopDevice, WritesThroughTheSeamLandAndAreFlushed) {
  LoopDevice::Options options = Sized(16u << 20);
  options.fillByte = 0xAB;
  ATTACH_OR_SKIP(loop, options);
  OpenLoop drive(*loop);
  const Handle disk = drive.OpenExclusive();
  ASSERT_NE(disk, INVALID_HANDLE_VALUE) << drive.os.GetLastError();
  ASSERT_TRUE(drive.WriteZeros(disk, 4 * kBlock)) << drive.os.GetLastError();
  EXPECT_TRUE(drive.os.FlushFileBuffers(disk));
  drive.os.CloseHandle(disk);
  EXPECT_TRUE(loop->All(0, 4 * kBlock, 0xAB));
  EXPECT_TRUE(loop->All(4 * kBlock, 5 * kBlock, 0x00));
  EXPECT_TRUE(loop->All(5 * kBlock, 16 * kBlock, 0xAB));
}

TEST(LoopDevice, ExclusiveOpenFailsWhileAnotherProcessHoldsTheFlock) {
  ATTACH_OR_SKIP(loop, Sized(16u << 20));
  int held[2], release[2];
  ASSERT_EQ(pipe(held), 0);
  ASSERT_EQ(pipe(release), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int fd = open(loop->Node().c_str(), O_RDONLY | O_CLOEXEC);
    const char ok = fd >= 0 && flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
    char ignored;
    if (write(held[1], &ok, 1) == 1) (void)!read(release[0], &ignored, 1);
    _exit(0);
  }
  char ok = 0;
  ASSERT_EQ(read(held[0], &ok, 1), 1);
  ASSERT_EQ(ok, 'y');
  OpenLoop drive(*loop);
  EXPECT_EQ(drive.OpenExclusive(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(drive.os.GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(drive.os.SystemErrorText(drive.os.GetLastError()), u"The device is in use by another program.");
  ASSERT_EQ(write(release[1], "x", 1), 1);
  waitpid(child, nullptr, 0);
  EXPECT_NE(drive.OpenExclusive(), INVALID_HANDLE_VALUE);
  for (int fd : {held[0], held[1], release[0], release[1]}) close(fd);
}

TEST(LoopDevice, ReadOnlyLoopOpensAndEveryWriteIsWriteProtected) {
  LoopDevice::Options options = Sized(16u << 20);
  options.readOnly = true;
  ATTACH_OR_SKIP(loop, options);
  OpenLoop drive(*loop);
  const Handle disk = drive.OpenExclusive();
  ASSERT_NE(disk, INVALID_HANDLE_VALUE) << drive.os.GetLastError();
  EXPECT_FALSE(drive.WriteZeros(disk, 0));
  EXPECT_EQ(drive.os.GetLastError(), ERROR_WRITE_PROTECT);
}

// A file system on the loop device, mounted in the test's folder, with one
// file written. Loop devices here may have no partitions (kernels without
// partition table support), so the volume is the whole device, partition 0.
void MountFileSystem(const LoopDevice& loop, const std::string& device) {
  ASSERT_EQ(Shell("mkfs.ext4 -q -F -E lazy_itable_init=0,lazy_journal_init=0 " + device), 0);
  ASSERT_EQ(Shell("mkdir -p " + loop.Folder() + "/mnt && mount -t ext4 " + device + " " + loop.Folder() + "/mnt"), 0);
  ASSERT_EQ(Shell("echo kept > " + loop.Folder() + "/mnt/file && sync"), 0);
}

void CheckLockingOfAMountedVolume(const LoopDevice& loop, const std::string& volumeName) {
  const std::string device = "/dev/" + volumeName;
  MountFileSystem(loop, device);
  const int openFile = open((loop.Folder() + "/mnt/file").c_str(), O_RDONLY);
  ASSERT_GE(openFile, 0);
  const std::uint64_t before = loop.Checksum();

  OpenLoop drive(loop);
  EXPECT_NE(DriveStrings(drive.os).find(volumeName + "\\"), std::string::npos);
  const Handle disk = drive.OpenExclusive();
  const Handle volume = drive.os.CreateFileW(VolumePath(volumeName), GENERIC_READ, 3, OPEN_EXISTING, 0);
  ASSERT_NE(volume, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(drive.Request(volume, FSCTL_LOCK_VOLUME));
  EXPECT_EQ(drive.os.GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(drive.WriteZeros(disk, 0));  // nothing reaches a mounted file system
  EXPECT_EQ(drive.os.GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(loop.Checksum(), before);
  EXPECT_EQ(Shell("grep -q ' " + loop.Folder() + "/mnt ' /proc/self/mountinfo"), 0);

  close(openFile);
  ASSERT_TRUE(drive.Request(volume, FSCTL_LOCK_VOLUME)) << drive.os.GetLastError();
  EXPECT_TRUE(drive.Request(volume, FSCTL_DISMOUNT_VOLUME));
  EXPECT_NE(Shell("grep -q ' " + loop.Folder() + "/mnt ' /proc/self/mountinfo"), 0);
  EXPECT_NE(Shell("mount -t ext4 " + device + " " + loop.Folder() + "/mnt"), 0);  // held: cannot be mounted again
  EXPECT_TRUE(drive.WriteZeros(disk, 0));
  drive.os.CloseHandle(volume);
  drive.os.CloseHandle(disk);
  EXPECT_TRUE(loop.All(0, kBlock, 0));
}

TEST(LoopDevice, MountedVolumeWithAnOpenFileRefusesTheLockUntilTheFileCloses) {
  ATTACH_OR_SKIP(loop, Sized(64u << 20));
  CheckLockingOfAMountedVolume(*loop, loop->Name());
}

TEST(LoopDevice, MountedPartitionWithAnOpenFileRefusesTheLockUntilTheFileCloses) {
  LoopDevice::Options options = Sized(64u << 20);
  options.partitions = true;
  options.sfdiskScript = "label: gpt\\n,32M\\n,\\n";
  ATTACH_OR_SKIP(loop, options);
  const std::string partition = loop->Name() + "p1";
  if (Shell("test -b /dev/" + partition) != 0)
    GTEST_SKIP() << "this kernel makes no partitions on loop devices (no partition table support)";
  CheckLockingOfAMountedVolume(*loop, partition);
}

TEST(LoopDevice, ActiveSwapRefusesTheLock) {
  ATTACH_OR_SKIP(loop, Sized(16u << 20));
  ASSERT_EQ(Shell("mkswap -q " + loop->Node() + " && swapon -p 0 " + loop->Node()), 0);
  OpenLoop drive(*loop);
  EXPECT_NE(DriveStrings(drive.os).find(loop->Name() + "\\"), std::string::npos);
  const Handle volume = drive.os.CreateFileW(VolumePath(loop->Name()), GENERIC_READ, 3, OPEN_EXISTING, 0);
  EXPECT_FALSE(drive.Request(volume, FSCTL_LOCK_VOLUME));
  EXPECT_EQ(drive.os.GetLastError(), ERROR_SHARING_VIOLATION);
  drive.os.CloseHandle(volume);
  EXPECT_EQ(Shell("swapoff " + loop->Node()), 0);
}

TEST(LoopDevice, WalkOfAllDriveNumbersTakesUnder50Milliseconds) {
  ATTACH_OR_SKIP(loop, Sized(64u << 20));
  LinuxOs os;
  FakeClock clock;
  FakeLocale locale;
  RecordingPanes panes;
  RecordingHalt halt;
  Program program(os, clock, locale, panes, halt);
  const auto start = std::chrono::steady_clock::now();
  EnumerateDevices(program);
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  RecordProperty("walk_milliseconds", std::to_string(ms));
  std::cout << "walk of 256 drive numbers: " << ms << " ms, " << program.DeviceCount << " drives\n";
  EXPECT_LT(ms, 50.0);
  bool found = false;
  for (int i = 1; i <= program.DeviceCount; ++i) {
    const TDeviceTable& entry = program.DeviceTables[static_cast<std::size_t>(i)];
    if (os.Drives()[entry.DeviceNumber].name != loop->Name()) continue;
    found = true;
    EXPECT_EQ(entry.IdentifyData.LBA, (64 << 20) / 512);
    EXPECT_EQ(entry.IdentifyData.Model, u"Linux Loop Device");
    EXPECT_EQ(entry.IdentifyData.BusType, 15);
  }
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace orvella::test
