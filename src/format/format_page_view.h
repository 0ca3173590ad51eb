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

class FormatPageView {
 public:
  virtual ~FormatPageView() = default;

  // pbCurrentTask: position 0 to 100, and its state.
  virtual void SetProgressPosition(int position) = 0;
  virtual void SetProgressState(ProgressState state) = 0;

  virtual void SetCaption(FormatLabel label, const std::u16string& caption) = 0;
  virtual std::u16string Caption(FormatLabel label) = 0;

  // The bytes the pass has written (or read back) so far, of all it will,
  // given with the other progress figures. For front ends
  // that estimate the time left; the window shows no such figure.
  virtual void ShowBytesDone(std::int64_t /*done*/, std::int64_t /*total*/) {}
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
