// What "FORMAT THIS DEVICE" runs on a drive run: the confirmation, the
// header of the format log, the identification of the drive, the locking of
// its volumes, the write loop (and its read-back) with a live Stop button,
// the refresh of the system's view of the drive, the release and the closing
// lines. It takes the run's choices and a way to ask the question, and
// returns every fact the erase record needs (FormatRun). The run's
// DeviceHandle stays open through it all; a close of the main window during
// a run waits for the run to end (RequestClose).
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "device/drive_identification.h"
#include "device/hidden_areas.h"
#include "format/erase_choices.h"
#include "format/erase_question.h"
#include "format/format_page_view.h"
#include "format/format_write_loop.h"
#include "format/purge_run.h"

namespace orvella {

class DriveRun;

// How the last FormatDevice call ended, for front ends that report it.
enum class FormatOutcome {
  NotConfirmed,  // the question was not answered Yes: nothing happened
  LockRefused,   // a volume of the drive, or the drive itself, could not be taken: nothing was written
  Ran,           // the write loop ran; its result tells how it ended
};

// The facts of one FormatDevice call.
struct FormatRun {
  FormatOutcome outcome = FormatOutcome::NotConfirmed;
  EraseChoices choices;
  // When the question was answered Erase (when it was asked, for a run
  // that was not confirmed), and when the run ended.
  std::chrono::system_clock::time_point start;
  std::chrono::system_clock::time_point end;
  // The drive's identification, taken once the run was confirmed and
  // before its volumes were locked; Unavailable when it did not answer.
  DeviceIdentification identification;
  WriteLoopResult loop;
  // The failure lines of the run: the lock failure, or the write loop's.
  std::vector<std::u16string> errorLines;
  // The file systems that locking took down.
  std::vector<Unmount> unmounted;
  // The volumes that refused to be locked, with the processes holding them.
  std::vector<BusyVolume> busyVolumes;
  // What the drive said it keeps out of reach of the erase, asked before
  // the volumes are locked; none when it does not identify.
  std::optional<HiddenAreas> hiddenAreas;
  // The run's format log lines, stamped, from its header to its last line.
  std::vector<std::u16string> log;
  // A purge: what the drive's own erase did and how it was checked; the
  // loop then says only how it ended.
  std::optional<PurgeResult> purge;
};

// Sets btRunBenchmarks, btGetSmart and cbQuickWipe, in that order, to
// `enabled`.
void SetFormatControlsEnabled(FormatPageView& view, bool enabled);

class FormatProcedure {
 public:
  FormatProcedure(DriveRun& run, FormatPageView& view) : run_(run), view_(view) {}

  void btStopClick();
  // The whole run with `choices`; `confirm` is asked first, and anything but
  // Erase ends the run before anything is done.
  void FormatDevice(const EraseChoices& choices, const ConfirmErase& confirm);

  // The main window's close handler calls this instead of closing
  // DeviceHandle itself. Outside a run it closes DeviceHandle and returns
  // true: the window may close. During a run (from the confirmation on) it
  // asks the run to stop after the pass in progress and returns false: the
  // window must stay. The run then releases the volumes, closes DeviceHandle
  // and calls the view's CloseWindow, so no write ever goes through a closed
  // handle.
  bool RequestClose();

  // From the confirmation question to the release of the drive.
  bool Running() const { return running_; }
  const FormatRun& LastRun() const { return lastRun_; }

 private:
  bool Confirm(const EraseChoices& choices, const ConfirmErase& confirm);
  void Erase(const EraseChoices& choices);
  void SetChoicesEnabled(bool enabled);
  bool TakeDrive();
  void RefuseRun(const std::u16string& line);
  void NameBusyVolumes(const std::vector<BusyVolume>& busyVolumes);
  void LogHeader();
  void IdentifyAndWarnOfHiddenSectors();
  bool RunWriteLoop(const EraseChoices& choices);
  // True when the drive's own erase ended complete and its check held.
  bool RunPurgeStep(const EraseChoices& choices);

  DriveRun& run_;
  FormatPageView& view_;
  bool running_ = false;
  bool closeRequested_ = false;
  FormatRun lastRun_;
};

}  // namespace orvella
