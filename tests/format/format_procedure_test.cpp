#include "format/format_procedure.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/text.h"
#include "format_rig.h"

namespace orvella {
namespace {

using test::Drive;
using test::FormatRig;
using Lines = std::vector<std::u16string>;
using Events = std::vector<std::string>;
using Kind = RequestRecord::Kind;

constexpr std::int64_t kEightMiB = 8 << 20;  // 16,384 sectors

VirtualVolume VolumeOnDrive(const char* name) {
  VirtualVolume v;
  v.name = name;
  v.deviceNumber = 1;
  return v;
}

// A drive carrying volumes C: and E:, with its procedure.
struct ProcedureRig : FormatRig {
  explicit ProcedureRig(VirtualDrive drive = Drive(kEightMiB),
                        std::vector<VirtualVolume> volumes = {VolumeOnDrive("C:"), VolumeOnDrive("E:")})
      : FormatRig(std::move(drive), std::move(volumes)) {}

  // Requests of one kind, in order.
  std::vector<RequestRecord> Requests(Kind kind) const {
    std::vector<RequestRecord> out;
    for (const auto& r : t.os.Requests())
      if (r.kind == kind) out.push_back(r);
    return out;
  }
  bool ControlsAsOutsideARun() const {
    return page.Enabled(FormatControl::RunBenchmarks) && page.Enabled(FormatControl::GetSmart) &&
           page.Enabled(FormatControl::QuickWipe) && !page.Enabled(FormatControl::Stop);
  }

  FormatProcedure procedure{t.drive, page};
};

const Lines kHeader = {u" ",
                       u"=================================================",
                       u"Orvella 4.30; https://orvella.example.org",
                       u"Low level format: [1]  MODEL-A    FW01    [title]",
                       u"Device capacity: 16,384 sectors",
                       u"Locking device... "};

constexpr char16_t kLockFailureLine[] =
    u"Unable to lock device. Make sure you do not have open files on this device and try again. ";

Lines Concat(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A log with the line of the sample plan, whose seed is new every run, left
// out (it must be there once, after "Verifying... "), and the count of bytes
// read back, which depends on the seed too (a sample may hold the first or
// the last sector), cut from the line that reports it.
Lines WithoutPlanLine(Lines log) {
  for (std::u16string& line : log)
    if (line.starts_with(u"Verification passed: ") && line.ends_with(u" bytes read back, all of them zero."))
      line = u"Verification passed: N bytes read back, all of them zero.";
  const auto plan = std::find_if(log.begin(), log.end(), [](const std::u16string& line) {
    return line.starts_with(u"Reading back the NIST SP 800-88 sample: 2002 samples in 1000 subsections, 1 sector "
                            u"each, seed ");
  });
  EXPECT_NE(plan, log.end());
  if (plan == log.end()) return log;
  EXPECT_EQ(*(plan - 1), u"Verifying... ");
  log.erase(plan);
  return log;
}

// The ending of a run whose writes and sample read-back went well.
const Lines kVerifiedEnding = {u"Average speed: ", u"Verifying... ", u"Average verification speed: ",
                               u"Verification passed: N bytes read back, all of them zero.",
                               u"Low-level format is complete.", u"", u"Remember to create new partitions."};

// Everything a record needs comes back from the run: its choices, when it
// was confirmed and ended, the identification it took, and its own lines.
TEST(FormatDevice, TheRunReturnsItsChoicesTimesIdentificationAndLog) {
  ProcedureRig rig;
  rig.t.panes.formatLog = {u"earlier line"};
  EraseChoices choices;
  choices.quickWipe = true;
  choices.operatorName = "Ada";
  choices.assetTag = "A-7";
  std::chrono::system_clock::time_point askedAt;
  const auto before = std::chrono::system_clock::now();
  rig.procedure.FormatDevice(choices, [&](const EraseQuestion&) {
    askedAt = std::chrono::system_clock::now();
    return EraseAnswer::Erase;
  });
  const FormatRun run = rig.procedure.LastRun();
  EXPECT_TRUE(run.choices.quickWipe);
  EXPECT_EQ(run.choices.operatorName, "Ada");
  EXPECT_EQ(run.choices.assetTag, "A-7");
  EXPECT_EQ(run.choices.Verification(), VerifyMethod::Full);  // the quick wipe's own read-back
  EXPECT_EQ(run.loop.verification.method, VerifyMethod::Full);
  EXPECT_GE(run.start, askedAt);
  EXPECT_GE(run.end, run.start);
  EXPECT_GE(askedAt, before);
  EXPECT_EQ(run.identification.outcome, IdentifyOutcome::Unavailable);  // the plain drive has no ATA answers
  const Lines pane(rig.t.panes.formatLog.begin() + 1, rig.t.panes.formatLog.end());
  EXPECT_EQ(run.log, pane);
  EXPECT_EQ(run.log, rig.t.drive.LogLines());

  // Not confirmed: nothing logged, the time of the question kept.
  rig.procedure.FormatDevice(choices, [](const EraseQuestion&) { return EraseAnswer::Cancel; });
  EXPECT_EQ(rig.procedure.LastRun().outcome, FormatOutcome::NotConfirmed);
  EXPECT_TRUE(rig.procedure.LastRun().log.empty());
  EXPECT_GE(rig.procedure.LastRun().start, run.end);
}

TEST(FormatDevice, ASuccessfulRunLogsEveryLineInOrder) {
  ProcedureRig rig;
  rig.procedure.FormatDevice(rig.page.Choices(), rig.page.Confirmation());

  const Lines expected = Concat(Concat(kHeader, {u"Formatting... "}), kVerifiedEnding);
  ASSERT_EQ(WithoutPlanLine(rig.Log()), expected);
  for (const auto& line : rig.t.panes.formatLog) EXPECT_EQ(line.substr(0, 22), rig.t.Stamp() + u"   ");

  const auto& dialog = rig.page.dialogs.at(0);
  EXPECT_EQ(dialog.instruction, u"All data on the selected device will be lost");
  EXPECT_TRUE(dialog.content.starts_with(
      u"Are you absolutely sure you want to irreversibly destroy all data on this device?\r\n\r\n"
      u"[1]  MODEL-A    FW01    [title]\r\n\r\n"))
      << TextToUtf8(dialog.content);

  const Events events = {"dialog",
                         "disable btRunBenchmarks",
                         "disable btGetSmart",
                         "disable cbQuickWipe",
                         "disable cbVerify",
                         "enable btStop",
                         "focus btStop",
                         "bar normal",
                         "bar paused",
                         "disable btStop",
                         "enable btRunBenchmarks",
                         "enable btGetSmart",
                         "enable cbQuickWipe",
                         "enable cbVerify"};
  EXPECT_EQ(rig.page.events, events);

  // The whole drive was zeroed while both volumes were locked, then the
  // drive was refreshed and the volumes released; the drive stays open.
  EXPECT_TRUE(rig.Medium().Covers(0, kEightMiB));
  EXPECT_EQ(rig.Medium().writesOverUnlockedVolumes, 0);
  const auto& requests = rig.t.os.Requests();
  const auto update = std::find_if(requests.begin(), requests.end(), [](const RequestRecord& r) {
    return r.kind == Kind::Ioctl && r.controlCode == IOCTL_DISK_UPDATE_PROPERTIES;
  });
  ASSERT_NE(update, requests.end());
  EXPECT_EQ(update->handle, rig.t.drive.DeviceHandle);
  EXPECT_EQ(update->inLength + update->outLength, 0u);
  EXPECT_EQ((update - 1)->kind, Kind::Read);  // the read-back follows the flush
  EXPECT_EQ((update + 1)->kind, Kind::Close);
  EXPECT_EQ((update + 2)->kind, Kind::Close);
  EXPECT_TRUE(rig.t.drive.LockedVolumes.empty());
  EXPECT_EQ(rig.t.os.OpenHandleCount(), 1);
  EXPECT_FALSE(rig.t.drive.StopRequested);
  EXPECT_EQ(rig.procedure.LastRun().outcome, FormatOutcome::Ran);
  EXPECT_EQ(rig.procedure.LastRun().loop.ending, WriteLoopEnding::Complete);
}

TEST(FormatDevice, AQuickWipeStillShowsTheWholeCapacity) {
  ProcedureRig rig(Drive(2'000'000'000));
  rig.page.quickWipeChecked = true;
  rig.procedure.FormatDevice(rig.page.Choices(), rig.page.Confirmation());
  EXPECT_EQ(rig.Log()[4], u"Device capacity: 3,906,250 sectors");
  EXPECT_EQ(rig.Medium().BytesWritten(), 20'480'000);
}

// A quick wipe of a drive larger than its two ends promises no more than it
// does: the question and the closing lines say the rest stays readable.
TEST(FormatDevice, AQuickWipeSaysTheRestOfTheDataStaysReadable) {
  ProcedureRig rig(Drive(2'000'000'000));
  rig.page.quickWipeChecked = true;
  rig.procedure.FormatDevice(rig.page.Choices(), rig.page.Confirmation());
  const auto& dialog = rig.page.dialogs.at(0);
  EXPECT_EQ(dialog.instruction, u"The partitions on the selected device will be lost");
  EXPECT_TRUE(dialog.content.starts_with(
      u"Are you sure you want to wipe the partition tables of this device? Only the first and the last "
      u"10,240,000 bytes will be zeroed; the rest of the data will still be readable.\r\n\r\n"
      u"[1]  MODEL-A    FW01    [title]\r\n\r\n"));
  const Lines log = rig.Log();
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log.end()[-4], u"Low-level format is complete.");
  EXPECT_EQ(log.end()[-3], u"Quick wipe: only the first and the last 10,240,000 bytes were zeroed; the rest of "
                           u"the data is still readable.");
  EXPECT_EQ(rig.procedure.LastRun().loop.verification.method, VerifyMethod::Full);
  EXPECT_EQ(rig.Medium().bytesRead, 20'480'000);

  // A drive no larger than its two ends is erased whole, and asked about as such.
  ProcedureRig small(Drive(kEightMiB));
  small.page.quickWipeChecked = true;
  small.procedure.FormatDevice(small.page.Choices(), small.page.Confirmation());
  EXPECT_EQ(small.page.dialogs.at(0).instruction, u"All data on the selected device will be lost");
}

TEST(FormatDevice, AnUncheckedVerifyBoxReadsNothingBack) {
  ProcedureRig rig;
  rig.page.verifyChecked = false;
  rig.procedure.FormatDevice(rig.page.Choices(), rig.page.Confirmation());
  EXPECT_EQ(rig.Medium().bytesRead, 0);
  EXPECT_EQ(rig.procedure.LastRun().loop.verification.method, VerifyMethod::Off);
  EXPECT_EQ(rig.procedure.LastRun().loop.ending, WriteLoopEnding::Complete);
}

TEST(FormatDevice, AnythingButYesLeavesEverythingUntouched) {
  for (const int answer : {2, 0, 7, 1}) {
    ProcedureRig rig;
    rig.t.panes.formatLog = {u"earlier line"};
    rig.page.dialogAnswer = answer;
    rig.procedure.FormatDevice(rig.page.Choices(), rig.page.Confirmation());
    EXPECT_EQ(rig.t.panes.formatLog, Lines{u"earlier line"});
    EXPECT_EQ(rig.page.events, Events{"dialog"});
    EXPECT_TRUE(rig.t.os.Requests().empty());
    EXPECT_TRUE(rig.ControlsAsOutsideARun());
    EXPECT_EQ(rig.procedure.LastRun().outcome, FormatOutcome::NotConfirmed);
  }
}

TEST(FormatDevice, ARefusedLockWritesNothingReleasesTheVolumesAndGivesTheControlsBack) {
  std::vector<VirtualVolume> volumes = {VolumeOnDrive("C:"), VolumeOnDrive("E:")};
  volumes[1].lockError = ERROR_ACCESS_DENIED;  // open files on E:
  volumes[1].holders = std::vector<VolumeHolder>{{4242, u"editor"}};
  ProcedureRig rig(Drive(kEightMiB), volumes);
  rig.procedure.FormatDevice(rig.page.Choices(), rig.page.Confirmation());

  // The lock failure line as it always was, then what holds the volume.
  const Lines refusal = {u"Unable to lock device. Make sure you do not have open files on this device and try again. ",
                         u"Volume E: is in use.", u"Held by process 4242 (editor)"};
  EXPECT_EQ(rig.Log(), Concat(kHeader, refusal));
  EXPECT_TRUE(rig.Medium().writes.empty());
  EXPECT_TRUE(rig.t.drive.LockedVolumes.empty());
  EXPECT_EQ(rig.t.os.OpenHandleCount(), 1);  // C: was locked, then released
  EXPECT_FALSE(rig.t.os.IsVolumeLocked("C:"));
  EXPECT_EQ(rig.Requests(Kind::Ioctl).back().controlCode, IOCTL_DISK_UPDATE_PROPERTIES);
  EXPECT_TRUE(rig.ControlsAsOutsideARun());
  EXPECT_EQ(std::count(rig.page.events.begin(), rig.page.events.end(), "enable btStop"), 0);
  EXPECT_EQ(rig.procedure.LastRun().outcome, FormatOutcome::LockRefused);
  EXPECT_EQ(rig.procedure.LastRun().errorLines, refusal);
  EXPECT_EQ(rig.procedure.LastRun().busyVolumes, (std::vector<BusyVolume>{{u"E:", {}, true, {{4242, u"editor"}}}}));
}

// With its volumes locked the whole drive is claimed through DeviceHandle
// before the first write, and the claim ends after the volumes' release.
TEST(FormatDevice, TheDriveIsClaimedWholeFromTheLockedVolumesToTheRelease) {
  ProcedureRig rig;
  rig.procedure.FormatDevice(rig.page.Choices(), rig.page.Confirmation());
  const auto ioctls = rig.Requests(Kind::Ioctl);
  const auto claim = std::find_if(ioctls.begin(), ioctls.end(),
                                  [](const RequestRecord& r) { return r.controlCode == FSCTL_LOCK_VOLUME; });
  ASSERT_NE(claim, ioctls.end());
  EXPECT_NE(claim->handle, rig.t.drive.DeviceHandle);  // the first ones lock C: and E:
  const auto& requests = rig.t.os.Requests();
  const auto driveClaim = std::find_if(requests.begin(), requests.end(), [&](const RequestRecord& r) {
    return r.controlCode == FSCTL_LOCK_VOLUME && r.handle == rig.t.drive.DeviceHandle;
  });
  ASSERT_NE(driveClaim, requests.end());
  const auto firstWrite =
      std::find_if(requests.begin(), requests.end(), [](const RequestRecord& r) { return r.kind == Kind::Write; });
  EXPECT_LT(driveClaim, firstWrite);
  EXPECT_EQ(std::count_if(requests.begin(), requests.end(),
                          [](const RequestRecord& r) { return r.controlCode == FSCTL_LOCK_VOLUME; }),
            3);
  EXPECT_EQ(rig.Requests(Kind::Ioctl).back().controlCode, FSCTL_UNLOCK_VOLUME);
  EXPECT_EQ(rig.Requests(Kind::Ioctl).back().handle, rig.t.drive.DeviceHandle);
}

TEST(FormatDevice, ARefusedClaimOfTheDriveRefusesTheRunWithItsReasonAndWritesNothing) {
  VirtualDrive d = Drive(kEightMiB);
  RequestFault refused;
  refused.controlCode = FSCTL_LOCK_VOLUME;
  refused.error = ERROR_SHARING_VIOLATION;
  d.requestFaults.push_back(refused);
  ProcedureRig rig(d);
  rig.procedure.FormatDevice(rig.page.Choices(), rig.page.Confirmation());
  const std::u16string line =
      u"Unable to take the device for exclusive use: The process cannot access the file because it is being "
      u"used by another process. Nothing was written.";
  EXPECT_EQ(rig.Log(), Concat(kHeader, {line}));
  EXPECT_TRUE(rig.Medium().writes.empty());
  EXPECT_EQ(rig.procedure.LastRun().outcome, FormatOutcome::LockRefused);
  EXPECT_EQ(rig.procedure.LastRun().errorLines, Lines{line});
  EXPECT_TRUE(rig.t.drive.LockedVolumes.empty());
  EXPECT_FALSE(rig.t.os.IsVolumeLocked("C:"));
  EXPECT_EQ(rig.Requests(Kind::Ioctl).back().controlCode, IOCTL_DISK_UPDATE_PROPERTIES);  // no unlock of no claim
  EXPECT_TRUE(rig.ControlsAsOutsideARun());
}

// Locking a mounted volume takes its file system down: the log says so, and
// the run keeps it for the record.
TEST(FormatDevice, EveryUnmountIsALogLineAndPartOfTheRun) {
  std::vector<VirtualVolume> volumes = {VolumeOnDrive("C:"), VolumeOnDrive("E:")};
  volumes[0].mountPoint = "C:\\";
  volumes[1].mountPoint = "E:\\";
  volumes[1].lockError = ERROR_ACCESS_DENIED;  // a lock refused: nothing of E: was taken down
  ProcedureRig rig(Drive(kEightMiB), volumes);
  rig.procedure.FormatDevice(rig.page.Choices(), rig.page.Confirmation());
  EXPECT_EQ(rig.Log(), Concat(kHeader, {u"Unmounted C:\\ (\\\\.\\C:)", std::u16string(kLockFailureLine),
                                        u"Volume E:, mounted on E:\\ is in use.",
                                        u"Which processes hold it cannot be told on this system."}));
  EXPECT_EQ(rig.procedure.LastRun().unmounted, (std::vector<Unmount>{{u"C:\\", u"\\\\.\\C:"}}));

  volumes[1].lockError = 0;
  ProcedureRig second(Drive(kEightMiB), volumes);
  second.procedure.FormatDevice(second.page.Choices(), second.page.Confirmation());
  const Lines log = second.Log();
  ASSERT_GT(log.size(), 9u);
  EXPECT_EQ(log[6], u"Unmounted C:\\ (\\\\.\\C:)");
  EXPECT_EQ(log[7], u"Unmounted E:\\ (\\\\.\\E:)");
  EXPECT_EQ(log[8], u"Formatting... ");
  EXPECT_EQ(second.procedure.LastRun().unmounted.size(), 2u);
}

TEST(FormatDevice, AVolumeThatWillNotOpenShowsInvalidHandleBeforeTheLockFailure) {
  std::vector<VirtualVolume> volumes = {VolumeOnDrive("C:")};
  volumes[0].readOpenError = ERROR_ACCESS_DENIED;
  ProcedureRig rig(Drive(kEightMiB), volumes);
  rig.procedure.FormatDevice(rig.page.Choices(), rig.page.Confirmation());
  const auto& log = rig.t.panes.formatLog;
  ASSERT_EQ(log.size(), kHeader.size() + 2);
  EXPECT_EQ(log[kHeader.size()], u"Invalid handle");
  EXPECT_TRUE(rig.Medium().writes.empty());
}

TEST(FormatDevice, AStopEndsTheRunCancelledAndTheNextRunStartsAfresh) {
  ProcedureRig rig;
  rig.page.onMessages = [&] {
    if (rig.page.messageRuns == 3) rig.procedure.btStopClick();  // during pass 2
  };
  rig.procedure.FormatDevice(rig.page.Choices(), rig.page.Confirmation());
  EXPECT_EQ(rig.Log(), Concat(kHeader, {u"Formatting... ", u"Average speed: ",
                                        u"Operation cancelled at offset 131,072    LBA 256",
                                        u"What was written before the stop has been flushed to the drive."}));
  EXPECT_FALSE(rig.page.Enabled(FormatControl::Stop));
  EXPECT_EQ(rig.page.state, ProgressState::Paused);

  // The second run: a fresh question and header, the same open handle, and
  // no stop left over from the first.
  rig.page.onMessages = nullptr;
  const Handle handle = rig.t.drive.DeviceHandle;
  const std::size_t firstRunLines = rig.t.panes.formatLog.size();
  rig.procedure.FormatDevice(rig.page.Choices(), rig.page.Confirmation());
  EXPECT_EQ(rig.page.dialogs.size(), 2u);
  const Lines log = rig.Log();
  const Lines second(log.begin() + static_cast<std::ptrdiff_t>(firstRunLines), log.end());
  EXPECT_EQ(WithoutPlanLine(second), Concat(Concat(kHeader, {u"Formatting... "}), kVerifiedEnding));
  for (const auto& write : rig.Requests(Kind::Write)) EXPECT_EQ(write.handle, handle);
  EXPECT_TRUE(rig.Medium().Covers(0, kEightMiB));
  EXPECT_TRUE(rig.ControlsAsOutsideARun());
}

TEST(FormatDevice, AWriteProtectedDriveEndsNotCompleteWithTheBarInItsErrorState) {
  VirtualDrive d = Drive(4 * 65'536);
  d.writeProtected = true;
  ProcedureRig rig(d, {});
  rig.procedure.FormatDevice(rig.page.Choices(), rig.page.Confirmation());
  const Lines log = rig.Log();
  EXPECT_EQ(log[log.size() - 1], u"Low-level format did not complete: the media is write protected; nothing was "
                                 u"written from offset 0    LBA 0 on.");
  EXPECT_EQ(rig.Requests(Kind::Write).size(), 1u);
  EXPECT_EQ(std::count(log.begin(), log.end(), u"Remember to create new partitions."), 0);
  EXPECT_EQ(std::count(log.begin(), log.end(), u"Low-level format is complete."), 0);
  EXPECT_EQ(rig.page.state, ProgressState::Error);
}

TEST(FormatDevice, AnUnpluggedDriveIsReportedAndTheProcedureStillFinishes) {
  VirtualDrive d = Drive(kEightMiB);
  d.unplugAt = 65'536 * 3;
  ProcedureRig rig(d);
  rig.procedure.FormatDevice(rig.page.Choices(), rig.page.Confirmation());
  const Lines log = rig.Log();
  EXPECT_EQ(log.back(), u"Operation terminated at offset 196,608    LBA 384");  // no advice on partitions
  EXPECT_EQ(rig.page.state, ProgressState::Paused);
  EXPECT_TRUE(rig.t.drive.LockedVolumes.empty());
  EXPECT_TRUE(rig.ControlsAsOutsideARun());
}

TEST(FormatDevice, WithoutAWriteBufferTheRunEndsLikeALockFailure) {
  ProcedureRig rig;
  rig.t.os.allocationFails_ = true;
  rig.procedure.FormatDevice(rig.page.Choices(), rig.page.Confirmation());
  EXPECT_EQ(rig.Log(), Concat(kHeader, {u"Formatting... ",
                                        u"Not enough memory for the 33,554,432-byte write "
                                        u"buffer; nothing was written."}));
  EXPECT_TRUE(rig.Medium().writes.empty());
  EXPECT_TRUE(rig.t.drive.LockedVolumes.empty());
  EXPECT_EQ(rig.page.state, ProgressState::Error);
  EXPECT_TRUE(rig.ControlsAsOutsideARun());
}

TEST(FormatDevice, ClosingTheWindowMidRunStopsReleasesAndOnlyThenClosesTheDrive) {
  ProcedureRig rig;
  const Handle drive = rig.t.drive.DeviceHandle;
  bool closeAllowed = true;
  rig.page.onMessages = [&] {
    if (rig.page.messageRuns == 4) closeAllowed = rig.procedure.RequestClose();  // during pass 3
  };
  rig.procedure.FormatDevice(rig.page.Choices(), rig.page.Confirmation());
  EXPECT_FALSE(closeAllowed);
  EXPECT_EQ(rig.Requests(Kind::Write).size(), 3u);  // the pass in progress finished its write

  // After the last write: the flush of what was written, the refresh, the
  // two volumes, the end of the drive's claim, and only then the drive.
  const auto& requests = rig.t.os.Requests();
  const auto lastWrite = std::find_if(requests.rbegin(), requests.rend(),
                                      [](const RequestRecord& r) { return r.kind == Kind::Write; });
  const std::vector<RequestRecord> after(lastWrite.base(), requests.end());
  ASSERT_EQ(after.size(), 6u);
  EXPECT_EQ(after[0].kind, Kind::Flush);
  EXPECT_EQ(after[1].controlCode, IOCTL_DISK_UPDATE_PROPERTIES);
  EXPECT_EQ(after[2].kind, Kind::Close);
  EXPECT_EQ(after[3].kind, Kind::Close);
  EXPECT_EQ(after[4].controlCode, FSCTL_UNLOCK_VOLUME);
  EXPECT_EQ(after[5].kind, Kind::Close);
  EXPECT_EQ(after[5].handle, drive);
  EXPECT_EQ(rig.t.os.OpenHandleCount(), 0);
  EXPECT_EQ(rig.t.drive.DeviceHandle, INVALID_HANDLE_VALUE);

  EXPECT_EQ(rig.page.events.back(), "close window");
  EXPECT_FALSE(rig.page.Enabled(FormatControl::RunBenchmarks));  // nothing new can start
  EXPECT_FALSE(rig.t.drive.StopRequested);
  const std::size_t closes = rig.Requests(Kind::Close).size();
  EXPECT_TRUE(rig.procedure.RequestClose());  // the window's second try goes through
  EXPECT_EQ(rig.Requests(Kind::Close).size(), closes);
}

TEST(FormatDevice, ClosingTheWindowDuringTheQuestionWritesNothing) {
  ProcedureRig rig;
  rig.page.onDialog = [&] { EXPECT_FALSE(rig.procedure.RequestClose()); };
  rig.procedure.FormatDevice(rig.page.Choices(), rig.page.Confirmation());
  EXPECT_TRUE(rig.t.panes.formatLog.empty());
  EXPECT_TRUE(rig.Medium().writes.empty());
  EXPECT_EQ(rig.page.events, (Events{"dialog", "close window"}));
  EXPECT_EQ(rig.t.os.OpenHandleCount(), 0);
  EXPECT_FALSE(rig.t.drive.StopRequested);
}

TEST(FormatDevice, ClosingTheWindowOutsideARunClosesTheDriveAtOnce) {
  ProcedureRig rig;
  EXPECT_TRUE(rig.procedure.RequestClose());
  EXPECT_EQ(rig.t.os.OpenHandleCount(), 0);
  EXPECT_TRUE(rig.page.events.empty());
}

}  // namespace
}  // namespace orvella
