#include "cli/terminal_format_page.h"

#include <string>

#include "cli/terminal.h"
#include "core/display_text.h"
#include "core/text.h"
#include "device/device_records.h"

namespace orvella::cli {
namespace {

// How often the live line is redrawn, and how often a plain progress line
// is written between the tenths of the run.
constexpr auto kLiveRedraw = std::chrono::milliseconds(200);
constexpr auto kPlainInterval = std::chrono::seconds(10);

// "\r\n" as the dialog's content writes line breaks, "\n" on a terminal.
std::string TerminalLines(const std::u16string& text) {
  std::string lines = TextToUtf8(text);
  std::string out;
  for (char c : lines)
    if (c != '\r') out.push_back(c);
  return out;
}

}  // namespace

ConfirmationWord ConfirmationWordOf(const std::u16string& serial, std::uint32_t driveNumber) {
  const std::u16string trimmed = Trim(serial);
  if (trimmed.empty() || trimmed == kNoSerialPlaceholder) return {std::to_string(driveNumber), "the drive number"};
  if (trimmed.size() <= 4) return {TextToUtf8(trimmed), "the drive's serial number"};
  return {TextToUtf8(trimmed.substr(trimmed.size() - 4)), "the last four characters of the drive's serial number"};
}

void TerminalFormatPage::SetProgressState(ProgressState state) {
  // The bar leaves its normal state when the run is over; the log's last
  // lines tell how it ended.
  if (state != ProgressState::Normal) console_.EndProgress();
  else figures_.Start(Steady::now());
}

void TerminalFormatPage::ShowPassProgress(const PassProgress& progress) {
  figures_.Update(progress, decimalSeparator_, Steady::now());
  progress_ = progress;
  progressFresh_ = true;
}

int TerminalFormatPage::Percent() const {
  return progress_.total > 0 ? static_cast<int>(progress_.done * 100 / progress_.total) : 0;
}

EraseAnswer TerminalFormatPage::Confirm(const EraseQuestion& question) {
  return Confirmed(question) ? EraseAnswer::Erase : EraseAnswer::Cancel;
}

bool TerminalFormatPage::Confirmed(const EraseQuestion& question) {
  if (choices_.yes) return true;
  if (!IsTerminal(stdin)) {
    console_.Problem("not erasing: the erase must be confirmed, and standard input is not a "
                 "terminal; add --yes to erase without a question.");
    return false;
  }
  const ConfirmationWord& c = choices_.confirmation;
  console_.Err("Warning: " + TextToUtf8(question.instruction) + "\n" + TerminalLines(question.content) + "\n");
  std::string answer;
  const bool answered =
      console_.Ask("Type " + c.what + " (" + DisplaySafeUtf8(c.word) + ") to erase it, anything else cancels: ",
                   answer);
  if (answered && !c.word.empty() && TextToUtf8(Trim(Utf8ToText(answer))) == c.word) return true;
  console_.Err(answered ? "Not confirmed; nothing was written." : "\nNot confirmed; nothing was written.");
  return false;
}

void TerminalFormatPage::ProcessPendingMessages() {
  PressStopOnInterrupt();
  if (progressFresh_) ShowProgress();
}

void TerminalFormatPage::PressStopOnInterrupt() {
  if (!interrupts_.TakeInterrupt() || procedure_ == nullptr || stopPressed_) return;
  stopPressed_ = true;
  console_.Err("Stopping after the block in progress...");
  procedure_->btStopClick();
}

void TerminalFormatPage::ShowProgress() {
  const Steady::time_point now = Steady::now();
  const int percent = Percent();
  if (!ProgressDue(now, percent)) return;
  console_.Progress(ProgressText({progress_, captions_[FormatLabel::CurrentPosition], captions_[FormatLabel::Speed],
                                  figures_.SecondsSince(now), figures_.SecondsLeft(), decimalSeparator_}));
  shownAt_ = now;
  shownPercent_ = percent;
  progressFresh_ = false;
}

// On a terminal: whenever the percent moves, else a few times a second.
// Otherwise: at every tenth of the run, and between them now and then.
bool TerminalFormatPage::ProgressDue(Steady::time_point now, int percent) const {
  if (!shownAt_) return true;
  if (console_.LogIsTerminal()) return percent != shownPercent_ || now - *shownAt_ >= kLiveRedraw;
  if (percent / 10 != shownPercent_ / 10) return true;
  return percent != shownPercent_ && now - *shownAt_ >= kPlainInterval;
}

}  // namespace orvella::cli
