// The "LOW-LEVEL FORMAT" page of the main window, its behaviour written once
// for every desktop: the progress bar and labels the erase drives, the run
// figures and the percentage in the window's title while a run goes on, the
// alert when it ends, the choices it offers, and the page as it is before
// any run. A window only builds the controls and answers FormatPageWidgets.
#pragma once

#include <string>

#include "core/clock.h"
#include "format/format_page_view.h"
#include "format/verify_method.h"
#include "format/run_figures.h"

namespace orvella {

// The page's controls as a window has them, one call per control.
class FormatPageWidgets {
 public:
  virtual ~FormatPageWidgets() = default;
  virtual void SetBarPosition(int position) = 0;  // pbCurrentTask, 0 to 100
  virtual void SetBarState(ProgressState state) = 0;
  virtual void SetLabelText(FormatLabel label, const std::u16string& text) = 0;
  virtual std::u16string LabelText(FormatLabel label) = 0;
  virtual void SetRunFiguresText(const std::u16string& text) = 0;  // lbRunFigures
  virtual void SetWindowTitle(const std::u16string& title) = 0;
  // Draws the user's eye to a window that may lie behind others.
  virtual void AskForAttention() = 0;
  virtual void SetControlEnabled(FormatControl control, bool enabled) = 0;
  virtual void FocusStop() = 0;
  virtual void SetChecks(bool quickWipe, VerifyMethod verify) = 0;  // cbQuickWipe, the read-back choice
  // The separator of the run figures' fractional numbers, as the desktop's
  // locale has it.
  virtual char16_t DecimalSeparator() = 0;
  virtual void ProcessPendingMessages() = 0;
  virtual void CloseWindow() = 0;
};

class FormatPage final : public FormatPageView {
 public:
  // `clock` is the program's: the figures count the time the log's stamps
  // count, also in a simulated run.
  FormatPage(FormatPageWidgets& widgets, Clock& clock) : widgets_(widgets), clock_(clock) {}

  // The window's caption, which a run prefixes with its percentage.
  void SetTitle(const std::u16string& title);
  // The page as it was created: the bar at 0 in its normal state, the
  // figures empty, quick wipe unchecked, the whole drive's own read-back.
  void Clear();

  // FormatPageView
  void SetProgressPosition(int position) override { widgets_.SetBarPosition(position); }
  // The normal state marks the start of the write loop, any other its end.
  void SetProgressState(ProgressState state) override;
  void SetCaption(FormatLabel label, const std::u16string& caption) override { widgets_.SetLabelText(label, caption); }
  std::u16string Caption(FormatLabel label) override { return widgets_.LabelText(label); }
  void ShowPassProgress(const PassProgress& progress) override;
  void ShowStopped() override { runFigures_.MarkStopped(); }
  // In the run figures' place, until the run ends.
  void ShowNote(const std::u16string& note) override { widgets_.SetRunFiguresText(note); }
  void SetEnabled(FormatControl control, bool enabled) override { widgets_.SetControlEnabled(control, enabled); }
  void FocusStop() override { widgets_.FocusStop(); }
  void ProcessPendingMessages() override { widgets_.ProcessPendingMessages(); }
  void CloseWindow() override { widgets_.CloseWindow(); }

 private:
  void EndRunFigures();
  RunFigures::Clock::time_point Now() const;

  FormatPageWidgets& widgets_;
  Clock& clock_;
  std::u16string title_;
  RunFigures runFigures_;
};

}  // namespace orvella
