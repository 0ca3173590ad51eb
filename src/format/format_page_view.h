// What the erase shows on the main window's "LOW-LEVEL FORMAT" page: the
// progress bar, the three progress labels, the enabled states of the
// controls that could start another action, and a way to let the window's
// pending messages run while the write loop keeps the thread. The run's
// choices and its question come in as arguments of the procedure, never
// from here. A front end implements it over its widgets; tests record what
// was shown.
#pragma once

#include <cstdint>
#include <string>

namespace orvella {

enum class ProgressState { Normal, Paused, Error };

// lbCurrentPercent, lbCurrentPosition, lbSpeed
enum class FormatLabel { CurrentPercent, CurrentPosition, Speed };

// btRunBenchmarks, btGetSmart, cbQuickWipe, btStop, cbVerify
enum class FormatControl { RunBenchmarks, GetSmart, QuickWipe, Stop, Verify };

// The passes of a run over the drive, in order.
enum class RunPass { Writing, ReadingBack };

// One pass's progress: "Writing 1 of 2", "Reading back 2 of 2".
struct PassProgress {
  RunPass pass = RunPass::Writing;
  bool sample = false;  // the read-back reads a sample of the drive, not all of it
  int number = 1;       // this pass, of `count`
  int count = 1;
  std::int64_t done = 0;  // bytes this pass has handled, of `total`
  std::int64_t total = 0;
  std::int64_t laterBytes = 0;  // what the passes after this one will handle
};

class FormatPageView {
 public:
  virtual ~FormatPageView() = default;

  // pbCurrentTask: position 0 to 100, and its state.
  virtual void SetProgressPosition(int position) = 0;
  virtual void SetProgressState(ProgressState state) = 0;

  virtual void SetCaption(FormatLabel label, const std::u16string& caption) = 0;
  virtual std::u16string Caption(FormatLabel label) = 0;

  // Where the run stands, given with the other progress figures after each
  // block: for front ends that show the step, the bytes and the time left.
  virtual void ShowPassProgress(const PassProgress& /*progress*/) {}
  // The run ended because Stop was pressed; called before the bar leaves
  // its normal state.
  virtual void ShowStopped() {}
  // A line about the run in progress that its figures cannot say (why Stop
  // is disabled during a purge); front ends without room for it drop it.
  virtual void ShowNote(const std::u16string& /*note*/) {}

  virtual void SetEnabled(FormatControl control, bool enabled) = 0;
  virtual void FocusStop() = 0;

  // Lets the window handle its pending messages once (paint, the Stop
  // button, a close request) and returns.
  virtual void ProcessPendingMessages() = 0;

  // Closes the main window, once a close request that had to wait for the
  // end of a run can be honoured (see FormatProcedure::RequestClose).
  virtual void CloseWindow() = 0;
};

}  // namespace orvella
