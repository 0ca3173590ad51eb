// The "LOW-LEVEL FORMAT" page of orvella-cli: the confirmation becomes a
// question on the terminal (type the end of the serial number), the progress bar and
// labels become the progress line, and letting pending messages run is
// where Ctrl+C turns into a press of Stop.
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>

#include "cli/console.h"
#include "cli/interrupt.h"
#include "cli/progress_text.h"
#include "format/format_page_view.h"
#include "format/format_procedure.h"
#include "format/run_figures.h"

namespace orvella::cli {

struct ConfirmationWord {
  std::string word;
  std::string what;  // what the word is, as the question names it
};

// The last four characters of the drive's serial number, or its drive
// number where it reports no serial (the catalogue's placeholder).
ConfirmationWord ConfirmationWordOf(const std::u16string& serial, std::uint32_t driveNumber);

struct TerminalChoices {
  bool yes = false;  // confirmed on the command line
  // What the user types to confirm: something read off this drive, so that
  // the number just typed on the command line, typed again out of habit,
  // does not erase it.
  ConfirmationWord confirmation;
};

class TerminalFormatPage final : public FormatPageView {
 public:
  TerminalFormatPage(Console& console, InterruptWatch& interrupts, TerminalChoices choices,
                     char16_t decimalSeparator)
      : console_(console), interrupts_(interrupts), choices_(choices), decimalSeparator_(decimalSeparator) {}

  // The procedure whose Stop button an interrupt presses.
  void Attach(FormatProcedure& procedure) { procedure_ = &procedure; }
  // The erase question on the terminal: --yes answers it, else the drive
  // number must be typed.
  EraseAnswer Confirm(const EraseQuestion& question);

  void SetProgressPosition(int) override {}
  void SetProgressState(ProgressState state) override;
  void SetCaption(FormatLabel label, const std::u16string& caption) override { captions_[label] = caption; }
  std::u16string Caption(FormatLabel label) override { return captions_[label]; }
  void ShowPassProgress(const PassProgress& progress) override;
  void SetEnabled(FormatControl, bool) override {}
  void FocusStop() override {}
  void ProcessPendingMessages() override;
  void CloseWindow() override {}

 private:
  using Steady = std::chrono::steady_clock;

  bool Confirmed(const EraseQuestion& question);
  void PressStopOnInterrupt();
  void ShowProgress();
  bool ProgressDue(Steady::time_point now, int percent) const;
  // The whole percent of the pass done, which paces the progress lines.
  int Percent() const;

  Console& console_;
  InterruptWatch& interrupts_;
  TerminalChoices choices_;
  FormatProcedure* procedure_ = nullptr;
  std::map<FormatLabel, std::u16string> captions_;
  const char16_t decimalSeparator_;
  RunFigures figures_;
  PassProgress progress_;
  bool progressFresh_ = false;  // new figures since the progress was last shown
  bool stopPressed_ = false;
  std::optional<Steady::time_point> shownAt_;
  int shownPercent_ = -1;
};

}  // namespace orvella::cli
