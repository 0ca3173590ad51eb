#include "support/recording_format_page.h"

namespace orvella::test {
namespace {

const char* NameOf(FormatControl control) {
  switch (control) {
    case FormatControl::RunBenchmarks: return "btRunBenchmarks";
    case FormatControl::GetSmart: return "btGetSmart";
    case FormatControl::QuickWipe: return "cbQuickWipe";
    case FormatControl::Stop: return "btStop";
    case FormatControl::Verify: return "cbVerify";
  }
  return "?";
}

const char* NameOf(ProgressState state) {
  switch (state) {
    case ProgressState::Normal: return "normal";
    case ProgressState::Paused: return "paused";
    case ProgressState::Error: return "error";
  }
  return "?";
}

}  // namespace

// The states the window is designed with.
RecordingFormatPage::RecordingFormatPage()
    : enabled{{FormatControl::RunBenchmarks, true},
              {FormatControl::GetSmart, true},
              {FormatControl::QuickWipe, true},
              {FormatControl::Stop, false},
              {FormatControl::Verify, true}} {}

void RecordingFormatPage::SetProgressState(ProgressState newState) {
  state = newState;
  events.push_back(std::string("bar ") + NameOf(newState));
}

void RecordingFormatPage::SetCaption(FormatLabel label, const std::u16string& caption) {
  captions[label] = caption;
  if (label == FormatLabel::Speed) speedCaptions.push_back(caption);
}

void RecordingFormatPage::SetEnabled(FormatControl control, bool on) {
  enabled[control] = on;
  events.push_back(std::string(on ? "enable " : "disable ") + NameOf(control));
}

EraseChoices RecordingFormatPage::Choices() const {
  EraseChoices choices;
  choices.quickWipe = quickWipeChecked;
  if (!verifyChecked) choices.verify = VerifyMethod::Off;
  return choices;
}

ConfirmErase RecordingFormatPage::Confirmation() {
  return [this](const EraseQuestion& question) {
    dialogs.push_back({question.instruction, question.content});
    events.push_back("dialog");
    if (onDialog) onDialog();
    return dialogAnswer == 6 ? EraseAnswer::Erase : EraseAnswer::Cancel;
  };
}

void RecordingFormatPage::ProcessPendingMessages() {
  ++messageRuns;
  if (onMessages) onMessages();
}

}  // namespace orvella::test
