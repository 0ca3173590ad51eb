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

int LeadingNumber(const std::u16string& caption) {
  int value = 0;
  for (char16_t c : caption) {
    if (c < u'0' || c > u'9') break;
    value = value * 10 + (c - u'0');
  }
  return value;
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
}

void TerminalFormatPage::ShowBytesDone(std::int64_t done, std::int64_t total) {
  timeLeft_.BytesDone(done, total, Steady::now());
  percent_ = LeadingNumber(captions_[FormatLabel::CurrentPercent]);
  progressFresh_ = true;
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
  if (!ProgressDue(now, percent_)) return;
  console_.Progress(ProgressText(captions_[FormatLabel::CurrentPercent], captions_[FormatLabel::CurrentPosition],
                                 captions_[FormatLabel::Speed], timeLeft_.SecondsLeft()));
  shownAt_ = now;
  shownPercent_ = percent_;
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
