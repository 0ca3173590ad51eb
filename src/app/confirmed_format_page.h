// The "LOW-LEVEL FORMAT" page as the format procedure sees it from the main
// window: the page itself, with the moment the user answered Yes to the
// confirmation noted, for the erase record's start.
#pragma once

#include <chrono>
#include <optional>

#include "app/dialogs.h"
#include "format/format_page_view.h"

namespace orvella {

class ConfirmedFormatPage final : public FormatPageView {
 public:
  explicit ConfirmedFormatPage(FormatPageView& page) : page_(page) {}

  // When the last question was answered Yes; nothing before that.
  std::optional<std::chrono::system_clock::time_point> ConfirmedAt() const { return confirmedAt_; }
  void Forget() { confirmedAt_.reset(); }

  int ShowTaskDialog(const std::u16string& title, const std::u16string& instruction, const std::u16string& content,
                     int icon, int buttons, int defaultButton) override {
    const int answer = page_.ShowTaskDialog(title, instruction, content, icon, buttons, defaultButton);
    if (answer == IDYES) confirmedAt_ = std::chrono::system_clock::now();
    return answer;
  }

  void SetProgressPosition(int position) override { page_.SetProgressPosition(position); }
  void SetProgressState(ProgressState state) override { page_.SetProgressState(state); }
  void SetCaption(FormatLabel label, const std::u16string& caption) override { page_.SetCaption(label, caption); }
  std::u16string Caption(FormatLabel label) override { return page_.Caption(label); }
  void ShowBytesDone(std::int64_t done, std::int64_t total) override { page_.ShowBytesDone(done, total); }
  void SetEnabled(FormatControl control, bool enabled) override { page_.SetEnabled(control, enabled); }
  bool QuickWipeChecked() override { return page_.QuickWipeChecked(); }
  VerifyMethod ChosenVerification(bool quickWipe) override { return page_.ChosenVerification(quickWipe); }
  void FocusStop() override { page_.FocusStop(); }
  void ProcessPendingMessages() override { page_.ProcessPendingMessages(); }
  void CloseWindow() override { page_.CloseWindow(); }

 private:
  FormatPageView& page_;
  std::optional<std::chrono::system_clock::time_point> confirmedAt_;
};

}  // namespace orvella
