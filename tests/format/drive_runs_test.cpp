// Two erases in one process, each on its own drive run: they take turns
// pass by pass, each is stopped only by its own Stop, and each keeps its
// own log, locked volumes and result.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/drive_run.h"
#include "format/format_procedure.h"
#include "support/recording_format_page.h"
#include "support/test_program.h"

namespace orvella::test {
namespace {

constexpr std::int64_t kDriveBytes = 8 * 1024 * 1024;

VirtualDrive NumberedDrive(std::uint32_t number) {
  VirtualDrive d;
  d.number = number;
  d.length = kDriveBytes;
  d.bytesPerSector = 512;
  return d;
}

// Catalogue entry `entry` describing drive `number`, chosen and opened for
// the run as the main window leaves it.
void ChooseAndOpen(DriveRun& run, std::int64_t entry, std::uint32_t number, const std::u16string& title) {
  Program& program = run.program;
  TDeviceTable& table = program.DeviceTables[static_cast<std::size_t>(entry)];
  table.DevicePath = u"\\\\.\\PhysicalDrive" + std::u16string(1, static_cast<char16_t>(u'0' + number));
  table.DeviceNumber = number;
  table.IdentifyData.LBA = kDriveBytes / 512;
  table.IdentifyData.SectorSize = 512;
  program.DeviceCount = std::max<std::int64_t>(program.DeviceCount, entry);
  run.SelectedDevice = entry;
  run.DeviceTitle = title;
  run.DeviceHandle = program.os.CreateFileW(table.DevicePath, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
}

// Hands the one turn back and forth between two erases, each on its own
// thread, so that exactly one of them runs at any moment and they alternate
// pass by pass. An erase that has ended no longer takes turns.
class Turns {
 public:
  void Take(int me) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return turn_ == me || finished_[1 - me]; });
  }
  void Pass(int me) {
    {
      std::lock_guard lock(mutex_);
      order_.push_back(me);
      turn_ = 1 - me;
    }
    changed_.notify_all();
  }
  void Finish(int me) {
    {
      std::lock_guard lock(mutex_);
      finished_[me] = true;
      turn_ = 1 - me;
    }
    changed_.notify_all();
  }
  const std::vector<int>& Order() const { return order_; }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int turn_ = 0;
  bool finished_[2] = {false, false};
  std::vector<int> order_;  // who passed the turn, in order
};

struct Erase {
  Erase(Program& program, Turns& turns, int me) : run(program), procedure(run, page), turns(turns), me(me) {
    run.SetLogEcho(nullptr);  // the two logs must not meet in one pane
    page.onMessages = [this] {
      ++passes;
      if (passes == stopAfterPass) procedure.btStopClick();
      this->turns.Pass(this->me);
      this->turns.Take(this->me);
    };
  }
  void Run() {
    turns.Take(me);
    procedure.FormatDevice(page.Choices(), page.Confirmation());
    turns.Finish(me);
  }

  DriveRun run;
  RecordingFormatPage page;
  FormatProcedure procedure;
  Turns& turns;
  const int me;
  int passes = 0;
  int stopAfterPass = -1;  // the pass after which this erase's Stop is pressed; -1: never
};

std::vector<std::u16string> Texts(const DriveRun& run) { return Unstamped(run.LogLines()); }

bool Contains(const std::vector<std::u16string>& lines, const std::u16string& text) {
  for (const auto& line : lines)
    if (line.find(text) != std::u16string::npos) return true;
  return false;
}

TEST(DriveRuns, TwoErasesOnTwoDrivesTakeTurnsWithTheirOwnStopLogAndResult) {
  VirtualMachine machine;
  machine.drives = {NumberedDrive(1), NumberedDrive(2)};
  TestProgram t(machine);
  Turns turns;
  Erase first(t.program, turns, 0);
  Erase second(t.program, turns, 1);
  ChooseAndOpen(first.run, 1, 1, u"first drive");
  ChooseAndOpen(second.run, 2, 2, u"second drive");
  second.stopAfterPass = 5;

  std::thread a([&] { first.Run(); });
  std::thread b([&] { second.Run(); });
  a.join();
  b.join();

  // Pass by pass: the turns alternate for as long as both erases run.
  const std::vector<int>& order = turns.Order();
  ASSERT_GE(order.size(), 10u);
  for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(order[i], static_cast<int>(i % 2)) << "turn " << i;

  // The second erase stopped after its fifth pass; the first went on to the end.
  EXPECT_EQ(second.passes, 5);
  EXPECT_GT(first.passes, 5);
  EXPECT_EQ(first.procedure.LastRun().loop.ending, WriteLoopEnding::Complete);
  EXPECT_EQ(second.procedure.LastRun().loop.ending, WriteLoopEnding::Cancelled);
  EXPECT_FALSE(first.run.StopRequested);
  EXPECT_FALSE(second.run.StopRequested);
  EXPECT_EQ(t.os.Medium(1).BytesWritten(), kDriveBytes);
  EXPECT_LT(t.os.Medium(2).BytesWritten(), kDriveBytes);
  EXPECT_GT(t.os.Medium(2).BytesWritten(), 0);

  // Each log tells of its own drive only.
  const auto firstLog = Texts(first.run);
  const auto secondLog = Texts(second.run);
  EXPECT_TRUE(Contains(firstLog, u"Low level format: first drive"));
  EXPECT_FALSE(Contains(firstLog, u"second drive"));
  EXPECT_TRUE(Contains(firstLog, u"Low-level format is complete."));
  EXPECT_FALSE(Contains(firstLog, u"Operation cancelled"));
  EXPECT_TRUE(Contains(secondLog, u"Low level format: second drive"));
  EXPECT_FALSE(Contains(secondLog, u"first drive"));
  EXPECT_TRUE(Contains(secondLog, u"Operation cancelled at offset "));
  EXPECT_FALSE(Contains(secondLog, u"Low-level format is complete."));
  EXPECT_TRUE(t.panes.formatLog.empty());

  // Both drives stay open for their next action; each closes once.
  EXPECT_TRUE(first.run.IsOpen());
  EXPECT_TRUE(second.run.IsOpen());
  EXPECT_TRUE(first.run.LockedVolumes.empty());
  EXPECT_TRUE(second.run.LockedVolumes.empty());
}

TEST(DriveRuns, EachRunLocksAndReleasesOnlyTheVolumesOfItsOwnDrive) {
  VirtualMachine machine;
  machine.drives = {NumberedDrive(1), NumberedDrive(2)};
  machine.volumes.resize(2);
  machine.volumes[0].name = "C:";
  machine.volumes[0].deviceNumber = 1;
  machine.volumes[1].name = "E:";
  machine.volumes[1].deviceNumber = 2;
  TestProgram t(machine);
  Turns turns;
  Erase first(t.program, turns, 0);
  Erase second(t.program, turns, 1);
  ChooseAndOpen(first.run, 1, 1, u"first drive");
  ChooseAndOpen(second.run, 2, 2, u"second drive");
  std::vector<Handle> lockedDuringFirst, lockedDuringSecond;
  auto firstMessages = first.page.onMessages;
  first.page.onMessages = [&] {
    if (lockedDuringFirst.empty()) lockedDuringFirst = first.run.LockedVolumes;
    if (lockedDuringSecond.empty()) lockedDuringSecond = second.run.LockedVolumes;
    firstMessages();
  };

  std::thread a([&] { first.Run(); });
  std::thread b([&] { second.Run(); });
  a.join();
  b.join();

  EXPECT_EQ(lockedDuringFirst.size(), 1u);
  EXPECT_EQ(lockedDuringSecond.size(), 1u);
  EXPECT_NE(lockedDuringFirst, lockedDuringSecond);
  EXPECT_EQ(first.procedure.LastRun().loop.ending, WriteLoopEnding::Complete);
  EXPECT_EQ(second.procedure.LastRun().loop.ending, WriteLoopEnding::Complete);
  EXPECT_TRUE(first.run.LockedVolumes.empty());
  EXPECT_TRUE(second.run.LockedVolumes.empty());
}

TEST(DriveRun, ClosesItsDriveOnceAndKnowsOneMeaningOfNotOpen) {
  TestProgram t(MachineWith(NumberedDrive(1)));
  {
    DriveRun run(t.program);
    EXPECT_FALSE(run.IsOpen());
    run.Close();  // nothing open: nothing closed
    ChooseAndOpen(run, 1, 1, u"drive");
    ASSERT_TRUE(run.IsOpen());
    t.os.ClearRequests();
    run.Close();
    run.Close();
    EXPECT_FALSE(run.IsOpen());
    EXPECT_EQ(run.DeviceHandle, INVALID_HANDLE_VALUE);
  }
  int closes = 0;
  for (const RequestRecord& r : t.os.Requests())
    if (r.kind == RequestRecord::Kind::Close) ++closes;
  EXPECT_EQ(closes, 1);
}

TEST(DriveRun, KeepsItsLinesFromTheLastStartAndEchoesThemWhereTold) {
  TestProgram t;
  DriveRun run(t.program);
  AddFormatLog(run, u"before");
  run.StartLog();
  AddFormatLog(run, u"one");
  AddFormatLogUnstamped(run, u"Invalid handle");
  EXPECT_EQ(Unstamped(run.LogLines()), (std::vector<std::u16string>{u"one", u"Invalid handle"}));
  EXPECT_EQ(Unstamped(t.panes.formatLog), (std::vector<std::u16string>{u"before", u"one", u"Invalid handle"}));

  std::vector<std::u16string> elsewhere;
  run.SetLogEcho([&](const std::u16string& line) { elsewhere.push_back(line); });
  AddFormatLog(run, u"two");
  EXPECT_EQ(Unstamped(elsewhere), std::vector<std::u16string>{u"two"});
  EXPECT_EQ(t.panes.formatLog.size(), 3u);
}

}  // namespace
}  // namespace orvella::test
