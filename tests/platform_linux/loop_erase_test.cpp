// The whole erase, as the program runs it from "FORMAT THIS DEVICE", on loop
// devices the tests make themselves (root only; skipped with the reason where
// loop devices cannot be had).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <new>

#include "catalogue/enumeration.h"
#include "core/program.h"
#include "core/text.h"
#include "format/format_procedure.h"
#include "platform/linux/linux_os.h"
#include "platform_linux/loop_device.h"
#include "support/fakes.h"
#include "support/recording_format_page.h"
#include "support/test_program.h"

namespace orvella::test {
namespace {

constexpr std::uint64_t kSize = 64ull << 20;
constexpr std::uint64_t kQuickWipeExtent = 10'240'000;
constexpr char16_t kLockFailure[] =
    u"Unable to lock device. Make sure you do not have open files on this device and try again. ";

// The program after start-up with the test's loop device chosen and open.
struct ChosenLoop {
  explicit ChosenLoop(const LoopDevice& loop)
      : program(os, clock, locale, panes, halt), drive(program), procedure(drive, page) {
    EnumerateDevices(program);
    for (int i = 1; i <= program.DeviceCount; ++i)
      if (os.Drives()[program.DeviceTables[static_cast<std::size_t>(i)].DeviceNumber].name == loop.Name())
        drive.SelectedDevice = i;
    if (drive.SelectedDevice < 1) return;
    drive.DeviceTitle = u"the test's " + Utf8ToText(loop.Name());
    drive.DeviceHandle = os.CreateFileW(drive.Entry().DevicePath, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
  }
  bool Ready() const { return drive.SelectedDevice >= 1 && drive.IsOpen(); }
  std::vector<std::u16string> Log() const { return Unstamped(panes.formatLog); }
  bool Logged(const std::u16string& line) const {
    const auto log = Log();
    return std::find(log.begin(), log.end(), line) != log.end();
  }

  LinuxOs os;
  FakeClock clock;
  FakeLocale locale;
  RecordingPanes panes;
  RecordingHalt halt;
  Program program;
  DriveRun drive;
  RecordingFormatPage page;
  FormatProcedure procedure;
};

TEST(LoopErase, FullEraseLeavesEveryByteZero) {
  ATTACH_LOOP_OR_SKIP(loop, LoopOptions(kSize, 0xAB));
  ChosenLoop chosen(*loop);
  ASSERT_TRUE(chosen.Ready());
  chosen.procedure.FormatDevice(chosen.page.Choices(), chosen.page.Confirmation());
  EXPECT_TRUE(chosen.Logged(u"Low-level format is complete."));
  EXPECT_TRUE(loop->All(0, kSize, 0x00));
}

TEST(LoopErase, QuickWipeLeavesNoPartitionTableForAnyToolToFind) {
  LoopDevice::Options options = LoopOptions(kSize, 0xAB);
  options.sfdiskScript = "label: gpt\\n,16M\\n,\\n";
  ATTACH_LOOP_OR_SKIP(loop, options);
  std::string table;
  ASSERT_EQ(Shell("sfdisk -d " + loop->Node(), &table), 0);
  ASSERT_NE(table.find("label: gpt"), std::string::npos);
  ASSERT_EQ(Shell("blkid -p " + loop->Node(), &table), 0);
  ASSERT_NE(table.find("PTTYPE=\"gpt\""), std::string::npos);

  ChosenLoop chosen(*loop);
  ASSERT_TRUE(chosen.Ready());
  chosen.page.quickWipeChecked = true;
  chosen.procedure.FormatDevice(chosen.page.Choices(), chosen.page.Confirmation());
  EXPECT_TRUE(chosen.Logged(u"Low-level format is complete."));
  EXPECT_NE(Shell("sfdisk -d " + loop->Node(), &table), 0);
  EXPECT_EQ(table.find("label:"), std::string::npos);
  Shell("blkid -p " + loop->Node(), &table);
  EXPECT_EQ(table.find("PTTYPE"), std::string::npos) << table;
  EXPECT_TRUE(loop->All(0, kQuickWipeExtent, 0x00));
  EXPECT_TRUE(loop->All(kQuickWipeExtent, kSize - kQuickWipeExtent, 0xAB));  // the middle is kept
  EXPECT_TRUE(loop->All(kSize - kQuickWipeExtent, kSize, 0x00));
}

// A descriptor closed however the test ends, so that a failed assertion
// leaves no file system busy behind it.
struct OpenFile {
  explicit OpenFile(const std::string& path) : fd(open(path.c_str(), O_RDONLY)) {}
  ~OpenFile() { Close(); }
  void Close() {
    if (fd >= 0) close(fd);
    fd = -1;
  }
  int fd;
};

// A file system on `device` (the loop device, or a partition of it), mounted
// with a file held open: the erase is refused and changes no byte; once the
// file is closed the erase unmounts it, says so, and runs.
void EraseMountedVolume(const LoopDevice& loop, const std::string& device) {
  ASSERT_EQ(Shell("mkfs.ext4 -q -F -E lazy_itable_init=0,lazy_journal_init=0 " + device), 0);
  const std::string mountPoint = loop.Folder() + "/mnt";
  ASSERT_EQ(Shell("mkdir -p " + mountPoint + " && mount -t ext4 " + device + " " + mountPoint), 0);
  ASSERT_EQ(Shell("echo kept > " + mountPoint + "/file && sync"), 0);
  OpenFile openFile(mountPoint + "/file");
  ASSERT_GE(openFile.fd, 0);
  const std::uint64_t before = loop.Checksum();

  ChosenLoop chosen(loop);
  ASSERT_TRUE(chosen.Ready());
  chosen.procedure.FormatDevice(chosen.page.Choices(), chosen.page.Confirmation());
  EXPECT_TRUE(chosen.Logged(kLockFailure));
  EXPECT_FALSE(chosen.Logged(u"Formatting... "));
  EXPECT_EQ(loop.Checksum(), before);
  EXPECT_EQ(Shell("grep -q ' " + mountPoint + " ' /proc/self/mountinfo"), 0);

  openFile.Close();
  chosen.procedure.FormatDevice(chosen.page.Choices(), chosen.page.Confirmation());
  EXPECT_TRUE(chosen.Logged(u"Low-level format is complete."));
  EXPECT_NE(Shell("grep -q ' " + mountPoint + " ' /proc/self/mountinfo"), 0);
  EXPECT_TRUE(loop.All(0, kSize, 0x00));
  EXPECT_TRUE(chosen.Logged(u"Unmounted " + Utf8ToText(mountPoint) + u" (" + Utf8ToText(device) + u")"));
  EXPECT_EQ(chosen.procedure.LastRun().unmounted,
            (std::vector<Unmount>{{Utf8ToText(mountPoint), Utf8ToText(device)}}));
}

TEST(LoopErase, MountedDriveWithAnOpenFileIsLeftAsItWasThenErasedOnceTheFileCloses) {
  ATTACH_LOOP_OR_SKIP(loop, LoopOptions(kSize));
  EraseMountedVolume(*loop, loop->Node());
}

TEST(LoopErase, MountedPartitionWithAnOpenFileIsLeftAsItWasThenErasedOnceTheFileCloses) {
  LoopDevice::Options options = LoopOptions(kSize);
  options.partitions = true;
  options.sfdiskScript = "label: gpt\\n,32M\\n,\\n";
  ATTACH_LOOP_OR_SKIP(loop, options);
  const std::string partition = loop->Node() + "p1";
  if (Shell("test -b " + partition) != 0)
    GTEST_SKIP() << "neither the kernel nor partx made partitions on the loop device";
  EraseMountedVolume(*loop, partition);
}

// A child process running `sleep` with a file held open, until it is ended.
class SleeperHolding {
 public:
  explicit SleeperHolding(const std::string& path) {
    pid_ = fork();
    if (pid_ == 0) {
      const int fd = open(path.c_str(), O_RDONLY);  // kept open across the exec
      if (fd < 0) _exit(1);
      execlp("sleep", "sleep", "600", static_cast<char*>(nullptr));
      _exit(1);
    }
  }
  ~SleeperHolding() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  // True once the child runs `sleep` with the file open.
  bool Ready() const {
    for (int i = 0; i < 500 && pid_ > 0; ++i) {
      std::string comm;
      if (Shell("cat /proc/" + std::to_string(pid_) + "/comm", &comm) == 0 && comm == "sleep\n") return true;
      usleep(10'000);
    }
    return false;
  }
  std::uint32_t Pid() const { return static_cast<std::uint32_t>(pid_); }

 private:
  pid_t pid_ = -1;
};

TEST(LoopErase, ARefusedLockNamesTheVolumeItsMountPointAndTheProcessHoldingIt) {
  ATTACH_LOOP_OR_SKIP(loop, LoopOptions(kSize));
  ASSERT_EQ(Shell("mkfs.ext4 -q -F " + loop->Node()), 0);
  const std::string mountPoint = loop->Folder() + "/mnt";
  ASSERT_EQ(Shell("mkdir -p " + mountPoint + " && mount -t ext4 " + loop->Node() + " " + mountPoint), 0);
  ASSERT_EQ(Shell("echo kept > " + mountPoint + "/file && sync"), 0);
  SleeperHolding sleeper(mountPoint + "/file");
  ASSERT_TRUE(sleeper.Ready());

  ChosenLoop chosen(*loop);
  ASSERT_TRUE(chosen.Ready());
  chosen.procedure.FormatDevice(chosen.page.Choices(), chosen.page.Confirmation());
  EXPECT_TRUE(chosen.Logged(kLockFailure));
  EXPECT_TRUE(chosen.Logged(u"Volume " + Utf8ToText(loop->Name()) + u", mounted on " + Utf8ToText(mountPoint) +
                            u" is in use."));
  EXPECT_TRUE(chosen.Logged(u"Held by process " + UIntToStr(sleeper.Pid()) + u" (sleep)"));
  const auto& busy = chosen.procedure.LastRun().busyVolumes;
  ASSERT_EQ(busy.size(), 1u);
  EXPECT_TRUE(busy[0].holdersKnown);
  EXPECT_NE(std::find(busy[0].holders.begin(), busy[0].holders.end(), VolumeHolder{sleeper.Pid(), u"sleep"}),
            busy[0].holders.end());
  EXPECT_EQ(Shell("grep -q ' " + mountPoint + " ' /proc/self/mountinfo"), 0);  // left mounted
}

// Counts, in a process of its own, how often it could and could not claim a
// block device for itself (O_EXCL), over and over until it is told to stop.
class Claimer {
 public:
  explicit Claimer(const std::string& node) : shared_(Share()) {
    child_ = fork();
    if (child_ != 0) return;
    while (!shared_->stop.load()) {
      const int fd = open(node.c_str(), O_RDONLY | O_EXCL | O_CLOEXEC);
      if (fd >= 0) {
        ++shared_->claimed;
        close(fd);
      } else {
        ++shared_->refused;
      }
    }
    _exit(0);
  }
  ~Claimer() { munmap(shared_, sizeof(Shared)); }
  // Stops the child; how often it was refused.
  void Stop() {
    shared_->stop = true;
    waitpid(child_, nullptr, 0);
  }
  int Claimed() const { return shared_->claimed; }
  int Refused() const { return shared_->refused; }

 private:
  struct Shared {
    std::atomic<bool> stop{false};
    std::atomic<int> claimed{0};
    std::atomic<int> refused{0};
  };
  static Shared* Share() {
    void* memory = mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    return new (memory) Shared;
  }
  Shared* shared_;
  pid_t child_ = -1;
};

// While the erase runs the drive is the program's alone: another program's
// exclusive open of it fails (as blkdiscard's or mkfs's would). A bystander
// disk that some program claims over and over meanwhile is never refused,
// and keeps every byte.
TEST(LoopErase, DuringTheEraseNobodyElseCanClaimTheDriveAndABystanderIsNeverRefused) {
  ATTACH_LOOP_OR_SKIP(target, LoopOptions(kSize, 0xAB));
  const auto bystander = LoopDevice::Attach(LoopOptions(16u << 20, 0xCD), whyNot);
  ASSERT_TRUE(bystander) << whyNot;
  const std::uint64_t bystanderBefore = bystander->Checksum();

  ChosenLoop chosen(*target);
  ASSERT_TRUE(chosen.Ready());
  int passes = 0, claimedDuringRun = 0;
  chosen.page.onMessages = [&] {
    const auto stop = chosen.page.enabled.find(FormatControl::Stop);
    if (stop == chosen.page.enabled.end() || !stop->second) return;  // the run's passes only
    ++passes;
    const int fd = open(target->Node().c_str(), O_RDONLY | O_EXCL | O_CLOEXEC);
    if (fd >= 0) {
      ++claimedDuringRun;
      close(fd);
    }
  };
  Claimer claimer(bystander->Node());
  chosen.procedure.FormatDevice(chosen.page.Choices(), chosen.page.Confirmation());
  claimer.Stop();

  EXPECT_TRUE(chosen.Logged(u"Low-level format is complete."));
  EXPECT_TRUE(target->All(0, kSize, 0x00));
  EXPECT_GT(passes, 0);
  EXPECT_EQ(claimedDuringRun, 0);
  EXPECT_GT(claimer.Claimed(), 0);
  EXPECT_EQ(claimer.Refused(), 0);
  EXPECT_EQ(bystander->Checksum(), bystanderBefore);

  // Once the run is over the drive is free for others again.
  const int after = open(target->Node().c_str(), O_RDONLY | O_EXCL | O_CLOEXEC);
  EXPECT_GE(after, 0);
  if (after >= 0) close(after);
}

TEST(LoopErase, ReadOnlyLoopGivesTheWriteProtectLines) {
  LoopDevice::Options options = LoopOptions(1 << 20, 0xAB);
  options.readOnly = true;
  ATTACH_LOOP_OR_SKIP(loop, options);
  ChosenLoop chosen(*loop);
  ASSERT_TRUE(chosen.Ready());
  chosen.procedure.FormatDevice(chosen.page.Choices(), chosen.page.Confirmation());
  const auto log = chosen.Log();
  const auto protectedBlocks = std::count_if(log.begin(), log.end(), [](const std::u16string& line) {
    return line.starts_with(u"Format Error occurred at offset ") &&
           line.ends_with(u":   19 - The media is write protected");
  });
  EXPECT_EQ(protectedBlocks, 1);  // the run ends at the first refused block
  EXPECT_TRUE(chosen.Logged(u"Format Error occurred at offset 0:   19 - The media is write protected"));
  EXPECT_FALSE(chosen.Logged(u"Low-level format is complete."));
  EXPECT_TRUE(loop->All(0, 1 << 20, 0xAB));
}

}  // namespace
}  // namespace orvella::test
