// A "LOW-LEVEL FORMAT" page that records what the erase showed on it, and
// lets a test answer the confirmation and act while messages run (press
// Stop, close the window).
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "format/format_page_view.h"

namespace orvella::test {

class RecordingFormatPage final : public FormatPageView {
 public:
  RecordingFormatPage();

  void SetProgressPosition(int position) override { positions.push_back(position); }
  void SetProgressState(ProgressState state) override;
  void SetCaption(FormatLabel label, const std::u16string& caption) override;
  std::u16string Caption(FormatLabel label) override { return captions[label]; }
  void SetEnabled(FormatControl control, bool enabled) override;
  bool QuickWipeChecked() override { return quickWipeChecked; }
  VerifyMethod ChosenVerification(bool quickWipe) override {
    return verifyChecked ? DefaultVerifyMethod(quickWipe) : VerifyMethod::Off;
  }
  void FocusStop() override { events.push_back("focus btStop"); }
  int ShowTaskDialog(const std::u16string& title, const std::u16string& instruction,
                     const std::u16string& content, int icon, int buttons, int defaultButton) override;
  EraseMethod ChosenMethod() override { return method; }
  void ProcessPendingMessages() override;
  void CloseWindow() override { events.push_back("close window"); }

  bool Enabled(FormatControl control) const { return enabled.at(control); }
  int Position() const { return positions.empty() ? 0 : positions.back(); }

  struct Dialog {
    std::u16string title, instruction, content;
    int icon = 0, buttons = 0, defaultButton = 0;
  };

  // Set by the test.
  bool quickWipeChecked = false;
  bool verifyChecked = true;
  EraseMethod method = EraseMethod::Zeros;
  int dialogAnswer = 6;              // Yes
  std::function<void()> onDialog;    // runs while the question is shown
  std::function<void()> onMessages;  // runs inside every ProcessPendingMessages

  // Recorded.
  std::vector<int> positions;
  std::map<FormatLabel, std::u16string> captions;
  std::vector<std::u16string> speedCaptions;  // every caption lbSpeed was given
  std::map<FormatControl, bool> enabled;
  ProgressState state = ProgressState::Normal;
  std::vector<std::string> events;  // control states, focus, bar states, dialogs, closing, in order
  std::vector<Dialog> dialogs;
  int messageRuns = 0;
};

}  // namespace orvella::test
