// The Linux backend on real block devices: loop devices that each test makes
// over a sparse file of its own (root only; skipped with the reason where
// loop devices cannot be had). These tests write to no block device at all;
// the erase tests write to their own loop devices only.
#include "platform_linux/loop_device.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "catalogue/enumeration.h"
#include "core/program.h"
#include "platform/linux/linux_os.h"
#include "platform_linux/linux_test_support.h"
#include "support/fakes.h"

namespace orvella::test {
namespace {

// The drive number of the test's own loop device.
int DriveNumberOf(LinuxOs& os, const LoopDevice& loop) {
  const auto& drives = os.Drives();
  for (std::size_t n = 0; n < drives.size(); ++n)
    if (drives[n].name == loop.Name()) return static_cast<int>(n);
  ADD_FAILURE() << loop.Name() << " is not in the drive list";
  return -1;
}

struct OpenLoop {
  explicit OpenLoop(const LoopDevice& loop) : number(DriveNumberOf(os, loop)) {}
  Handle OpenExclusive() {
    return os.CreateFileW(DrivePath(number), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
  }

  LinuxOs os;
  int number;
};

TEST(LoopDevice, ExclusiveOpenFailsWhileAnotherProcessHoldsTheFlock) {
  ATTACH_LOOP_OR_SKIP(loop, LoopOptions(16u << 20));
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

TEST(LoopDevice, ActiveSwapRefusesTheLock) {
  ATTACH_LOOP_OR_SKIP(loop, LoopOptions(16u << 20));
  ASSERT_EQ(Shell("mkswap -q " + loop->Node() + " && swapon -p 0 " + loop->Node()), 0);
  OpenLoop drive(*loop);
  EXPECT_NE(DriveStrings(drive.os).find(loop->Name() + "\\"), std::string::npos);
  const Handle volume = drive.os.CreateFileW(VolumePath(loop->Name()), GENERIC_READ, 3, OPEN_EXISTING, 0);
  EXPECT_FALSE(drive.os.DeviceIoControl(volume, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, nullptr));
  EXPECT_EQ(drive.os.GetLastError(), ERROR_SHARING_VIOLATION);
  drive.os.CloseHandle(volume);
  EXPECT_EQ(Shell("swapoff " + loop->Node()), 0);
}

// The time is recorded, not judged: on a busy machine any fixed limit fails
// at random, and a limit is a benchmark's business.
// A handle that does not claim its drive checks before its writes that
// nothing uses the drive: a mount between two writes refuses the next one
// once the last look has run out, and the unmount lets writes through again.
TEST(LoopDevice, AMountBetweenWritesThroughAnUnclaimedHandleRefusesTheNext) {
  ATTACH_LOOP_OR_SKIP(loop, LoopOptions(16u << 20));
  ASSERT_EQ(Shell("mkfs.ext4 -q -F " + loop->Node() + " 8M"), 0);
  OpenLoop drive(*loop);
  const Handle disk = drive.OpenExclusive();
  ASSERT_NE(disk, INVALID_HANDLE_VALUE);
  alignas(4096) static std::uint8_t zeros[4096] = {};
  const auto writeBeyondTheFileSystem = [&] {
    std::uint32_t written = 0;
    return drive.os.SetFilePointerEx(disk, 12 << 20, nullptr, FILE_BEGIN) &&
           drive.os.WriteFile(disk, zeros, sizeof zeros, &written);
  };
  const auto afterOneLook = [] { std::this_thread::sleep_for(std::chrono::milliseconds(150)); };
  ASSERT_TRUE(writeBeyondTheFileSystem());
  const std::string mountPoint = loop->Folder() + "/mnt";
  ASSERT_EQ(Shell("mkdir -p " + mountPoint + " && mount -t ext4 " + loop->Node() + " " + mountPoint), 0);
  afterOneLook();
  EXPECT_FALSE(writeBeyondTheFileSystem());
  EXPECT_EQ(drive.os.GetLastError(), ERROR_ACCESS_DENIED);
  ASSERT_EQ(Shell("umount " + mountPoint), 0);
  afterOneLook();
  EXPECT_TRUE(writeBeyondTheFileSystem());
}

TEST(LoopDevice, WalkOfAllDriveNumbersFindsTheLoopDevice) {
  ATTACH_LOOP_OR_SKIP(loop, LoopOptions(64u << 20));
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
