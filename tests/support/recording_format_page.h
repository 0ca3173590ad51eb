// A "LOW-LEVEL FORMAT" page that records what the erase showed on it, and
// lets a test answer the confirmation and act while messages run (press
// Stop, close the window).
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "format/erase_choices.h"
#include "format/erase_question.h"
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
  void FocusStop() override { events.push_back("focus btStop"); }
  void ProcessPendingMessages() override;
  void ShowPassProgress(const PassProgress& progress) override { passes.push_back(progress); }

  // The run's choices as the page's two boxes stand (verify checked: the
  // mode's own read-back).
  EraseChoices Choices() const;
  // The question, recorded and answered with dialogAnswer (6, Yes, erases).
  ConfirmErase Confirmation();
  void CloseWindow() override { events.push_back("close window"); }

  bool Enabled(FormatControl control) const { return enabled.at(control); }
  int Position() const { return positions.empty() ? 0 : positions.back(); }

  struct Dialog {
    std::u16string instruction, content;
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
  std::vector<PassProgress> passes;  // every step's progress, in order
  std::map<FormatLabel, std::u16string> captions;
  std::vector<std::u16string> speedCaptions;  // every caption lbSpeed was given
  std::map<FormatControl, bool> enabled;
  ProgressState state = ProgressState::Normal;
  std::vector<std::string> events;  // control states, focus, bar states, dialogs, closing, in order
  std::vector<Dialog> dialogs;
  int messageRuns = 0;
};

}  // namespace orvella::test
