#include "format/format_procedure.h"

#include "core/system_error_text.h"
#include "core/text.h"
#include "device/drive_run.h"
#include "device/volume_locking.h"
#include "format/erase_question.h"
#include "format/format_write_loop.h"
#include "format/sample_plan.h"
#include "reports/text_forms.h"

namespace orvella {
namespace {

constexpr char16_t kLockFailure[] =
    u"Unable to lock device. Make sure you do not have open files on this device and try again. ";

}  // namespace

void SetFormatControlsEnabled(FormatPageView& view, bool enabled) {
  view.SetEnabled(FormatControl::RunBenchmarks, enabled);
  view.SetEnabled(FormatControl::GetSmart, enabled);
  view.SetEnabled(FormatControl::QuickWipe, enabled);
}

void FormatProcedure::btStopClick() { run_.StopRequested = true; }

void FormatProcedure::FormatDevice(const EraseChoices& choices, const ConfirmErase& confirm) {
  if (running_) return;  // one run at a time, even if a click slips through
  running_ = true;
  lastRun_ = FormatRun{};
  lastRun_.choices = choices;
  run_.StartLog();
  if (Confirm(choices, confirm) && !closeRequested_) Erase(choices);
  lastRun_.end = std::chrono::system_clock::now();
  lastRun_.log = run_.LogLines();
  running_ = false;
  if (closeRequested_) {
    run_.StopRequested = false;
    run_.Close();
    view_.CloseWindow();
  }
}

bool FormatProcedure::RequestClose() {
  if (running_) {
    closeRequested_ = true;
    run_.StopRequested = true;
    return false;
  }
  run_.Close();
  return true;
}

bool FormatProcedure::Confirm(const EraseChoices& choices, const ConfirmErase& confirm) {
  lastRun_.start = std::chrono::system_clock::now();
  if (confirm(AskToErase(run_, choices)) != EraseAnswer::Erase) return false;
  lastRun_.start = std::chrono::system_clock::now();
  return true;
}

// The controls that could start or change a run: the three of every action,
// and the read-back box beside the quick-wipe box.
void FormatProcedure::SetChoicesEnabled(bool enabled) {
  SetFormatControlsEnabled(view_, enabled);
  view_.SetEnabled(FormatControl::Verify, enabled);
}

void FormatProcedure::Erase(const EraseChoices& choices) {
  SetChoicesEnabled(false);
  LogHeader();
  IdentifyAndWarnOfHiddenSectors();
  AddFormatLog(run_, u"Locking device... ");
  bool ran = false;
  bool driveTaken = false;
  const VolumeLocking locking = LockDeviceVolumes(run_, run_.Entry().DeviceNumber);
  lastRun_.unmounted = locking.unmounted;
  if (!locking.locked) {
    RefuseRun(kLockFailure);
    NameBusyVolumes(locking.busyVolumes);
  } else if ((driveTaken = TakeDrive())) {
    if (choices.method == EraseMethod::Zeros) ran = RunWriteLoop(choices);
    else if (RunPurgeStep(choices) && choices.thenZeros) ran = RunWriteLoop(choices);
  }
  // Lets the system see the drive's new (empty) partition layout.
  std::uint32_t returned = 0;
  Os& os = run_.program.os;
  os.DeviceIoControl(run_.DeviceHandle, IOCTL_DISK_UPDATE_PROPERTIES, nullptr, 0, nullptr, 0, &returned);
  ReleaseDeviceVolumes(run_);
  if (driveTaken) os.DeviceIoControl(run_.DeviceHandle, FSCTL_UNLOCK_VOLUME, nullptr, 0, nullptr, 0, &returned);
  // New partitions belong on an erased drive: after a cancelled or failed
  // run the advice would be wrong.
  if (ran && lastRun_.loop.ending == WriteLoopEnding::Complete) {
    AddFormatLog(run_, u"");
    AddFormatLog(run_, u"Remember to create new partitions.");
  }
  // A window about to close gets no controls back that could start anything.
  if (!closeRequested_) SetChoicesEnabled(true);
}

// With its volumes locked, the whole drive is claimed for the run, so that
// no other program can open it for itself, mount or lock any part of it, or
// write to it through a claim of its own, until the release.
bool FormatProcedure::TakeDrive() {
  std::uint32_t returned = 0;
  Os& os = run_.program.os;
  if (os.DeviceIoControl(run_.DeviceHandle, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, &returned)) return true;
  const std::u16string reason = SystemErrorMessage(os, os.GetLastError());
  RefuseRun(u"Unable to take the device for exclusive use: " + reason + u". Nothing was written.");
  return false;
}

void FormatProcedure::RefuseRun(const std::u16string& line) {
  lastRun_.outcome = FormatOutcome::LockRefused;
  lastRun_.errorLines.push_back(line);
  AddFormatLog(run_, line);
}

// Beside the lock failure line, what refused the lock and who holds it.
void FormatProcedure::NameBusyVolumes(const std::vector<BusyVolume>& busyVolumes) {
  lastRun_.busyVolumes = busyVolumes;
  for (const BusyVolume& volume : lastRun_.busyVolumes)
    for (const std::u16string& line : BusyVolumeLines(volume)) {
      lastRun_.errorLines.push_back(line);
      AddFormatLog(run_, line);
    }
}

void FormatProcedure::LogHeader() {
  const TDeviceTable& entry = run_.Entry();
  AddFormatLog(run_, u" ");
  AddFormatLog(run_, u"=================================================");
  AddFormatLog(run_, std::u16string(kProgramTitle) + u"; " + kMakerWebAddress);
  AddFormatLog(run_, u"Low level format: " + run_.DeviceTitle);
  AddFormatLog(run_, u"Device capacity: " + IntToGroupedStr(entry.IdentifyData.LBA) + u" sectors");
}

// Zeros written through the drive's accessible range cannot reach sectors
// the drive hides; the log says so before anything is written.
void FormatProcedure::IdentifyAndWarnOfHiddenSectors() {
  lastRun_.identification = IdentifyChosenDevice(run_);
  if (lastRun_.identification.outcome != IdentifyOutcome::Identified) return;
  lastRun_.hiddenAreas = lastRun_.identification.hiddenAreas;
  if (const std::int64_t hpa = lastRun_.hiddenAreas->HpaHiddenSectors(); hpa > 0)
    AddFormatLog(run_, IntToGroupedStr(hpa) + u" sectors hidden by a Host Protected Area will not be erased");
  if (const std::int64_t dco = lastRun_.hiddenAreas->DcoHiddenSectors(); dco > 0)
    AddFormatLog(run_,
                 IntToGroupedStr(dco) + u" sectors hidden by a Device Configuration Overlay will not be erased");
}

// True when the loop had its buffer and so may have written.
bool FormatProcedure::RunWriteLoop(const EraseChoices& choices) {
  view_.SetEnabled(FormatControl::Stop, true);
  view_.FocusStop();
  AddFormatLog(run_, u"Formatting... ");
  view_.SetProgressState(ProgressState::Normal);
  lastRun_.outcome = FormatOutcome::Ran;
  lastRun_.loop = FormatWriteLoop(run_, view_, choices);
  lastRun_.errorLines = lastRun_.loop.errorLines;
  const WriteLoopEnding ending = lastRun_.loop.ending;
  const bool failed = ending == WriteLoopEnding::NotComplete || ending == WriteLoopEnding::NoBuffer ||
                      ending == WriteLoopEnding::WriteProtected;
  if (ending == WriteLoopEnding::Cancelled) view_.ShowStopped();
  view_.SetProgressState(failed ? ProgressState::Error : ProgressState::Paused);
  view_.SetEnabled(FormatControl::Stop, false);
  return ending != WriteLoopEnding::NoBuffer;
}

// The drive erases itself: no Stop, since nothing can stop it once sent.
bool FormatProcedure::RunPurgeStep(const EraseChoices& choices) {
  AddFormatLog(run_, u"Purging (" + Utf8ToText(EraseMethodName(choices.method)) +
                         u")... Stop is disabled: a drive's own erase cannot be stopped once it has begun.");
  view_.SetProgressState(ProgressState::Normal);
  view_.ShowNote(u"Stop is disabled: the drive erases itself, and once begun its erase cannot be stopped.");
  PurgeSurroundings surroundings{run_.program.os, run_.program.clock, run_.DeviceHandle, run_.Entry(),
                                 [this](const std::u16string& line) { AddFormatLog(run_, line); },
                                 [this](std::optional<double> percent) {
                                   if (percent) view_.SetProgressPosition(static_cast<int>(*percent));
                                   view_.SetCaption(FormatLabel::CurrentPercent,
                                                    percent ? IntToStr(static_cast<std::int64_t>(*percent)) + u"% complete"
                                                            : u"in progress");
                                   view_.ProcessPendingMessages();
                                 }};
  const PurgeResult purge = RunPurge(surroundings, choices.method, choices.seed ? *choices.seed : FreshSampleSeed());
  lastRun_.purge = purge;
  lastRun_.outcome = FormatOutcome::Ran;
  lastRun_.loop.wholeDrive = true;
  switch (purge.ending) {
    case PurgeEnding::Complete:
      lastRun_.loop.ending = WriteLoopEnding::Complete;
      AddFormatLog(run_, u"Purge is complete.");
      break;
    case PurgeEnding::Terminated: lastRun_.loop.ending = WriteLoopEnding::Terminated; break;
    case PurgeEnding::Refused:
    case PurgeEnding::NotComplete:
      lastRun_.loop.ending = WriteLoopEnding::NotComplete;
      AddFormatLog(run_, u"Purge is not complete.");
      break;
  }
  if (purge.ending != PurgeEnding::Complete) lastRun_.errorLines.push_back(purge.reason);
  view_.SetProgressState(purge.ending == PurgeEnding::Complete ? ProgressState::Paused : ProgressState::Error);
  return purge.ending == PurgeEnding::Complete;
}

}  // namespace orvella
