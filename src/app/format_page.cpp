#include "app/format_page.h"

#include <chrono>

namespace orvella {

void FormatPage::SetTitle(const std::u16string& title) {
  title_ = title;
  widgets_.SetWindowTitle(title_);
}

void FormatPage::Clear() {
  widgets_.SetBarPosition(0);
  widgets_.SetBarState(ProgressState::Normal);
  for (const FormatLabel label : {FormatLabel::CurrentPercent, FormatLabel::Speed, FormatLabel::CurrentPosition})
    widgets_.SetLabelText(label, u"");
  widgets_.SetRunFiguresText(u"");
  runFigures_ = RunFigures{};
  widgets_.SetWindowTitle(title_);
  widgets_.SetChecks(false, DefaultVerifyMethod(false));
}

void FormatPage::SetProgressState(ProgressState state) {
  widgets_.SetBarState(state);
  if (state == ProgressState::Normal) {
    runFigures_.Start(Now());
    widgets_.SetRunFiguresText(u"");
  } else if (runFigures_.Running()) {
    EndRunFigures();
  }
}

void FormatPage::ShowPassProgress(const PassProgress& progress) {
  widgets_.SetRunFiguresText(runFigures_.Progress(progress, widgets_.DecimalSeparator(), Now()));
  widgets_.SetWindowTitle(ProgressTitle(progress.done, progress.total, title_));
}

// The title drops its percentage, the time taken stays, and the window asks
// for attention: a long run may have ended behind other windows.
void FormatPage::EndRunFigures() {
  widgets_.SetWindowTitle(title_);
  widgets_.SetRunFiguresText(runFigures_.End(Now()));
  widgets_.AskForAttention();
}

RunFigures::Clock::time_point FormatPage::Now() const {
  return RunFigures::Clock::time_point(std::chrono::milliseconds(clock_.MonotonicMilliseconds()));
}

}  // namespace orvella
