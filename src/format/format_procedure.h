// What "FORMAT THIS DEVICE" runs: the confirmation, the header of the
// format log, the locking of the drive's volumes, the write loop (and its
// read-back) with a live Stop button, the refresh of the system's view of the drive, the release
// and the closing lines. DeviceHandle stays open through it all; a close of
// the main window during a run waits for the run to end (RequestClose).
#pragma once

#include <optional>

#include "device/hidden_areas.h"
#include "format/format_page_view.h"
#include "format/format_write_loop.h"

namespace orvella {

class DriveRun;

// How the last FormatDevice call ended, for front ends that report it.
enum class FormatOutcome {
  NotConfirmed,  // the question was not answered Yes: nothing happened
  LockRefused,   // a volume of the drive, or the drive itself, could not be taken: nothing was written
  Ran,           // the write loop ran; its result tells how it ended
};

struct FormatRun {
  FormatOutcome outcome = FormatOutcome::NotConfirmed;
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
};

// Sets btRunBenchmarks, btGetSmart and cbQuickWipe, in that order, to
// `enabled`.
void SetFormatControlsEnabled(FormatPageView& view, bool enabled);

class FormatProcedure {
 public:
  FormatProcedure(DriveRun& run, FormatPageView& view) : run_(run), view_(view) {}

  void btRunBenchmarksClick() { FormatDevice(); }
  void btStopClick();
  void FormatDevice();

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
  bool Confirm(const EraseChoices& choices);
  void Erase(const EraseChoices& choices);
  void SetChoicesEnabled(bool enabled);
  bool TakeDrive();
  void RefuseRun(const std::u16string& line);
  void NameBusyVolumes(const std::vector<BusyVolume>& busyVolumes);
  void LogHeader();
  void WarnOfHiddenSectors();
  bool RunWriteLoop(const EraseChoices& choices);

  DriveRun& run_;
  FormatPageView& view_;
  bool running_ = false;
  bool closeRequested_ = false;
  FormatRun lastRun_;
};

}  // namespace orvella
