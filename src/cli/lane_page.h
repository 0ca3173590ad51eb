// The "LOW-LEVEL FORMAT" page of one drive in an erase of several: its
// figures go to the drive's row of the board. The erase was confirmed for
// every drive at once before any run began, so the page's own question is
// answered yes. Stop is asked for by the main thread through a shared flag
// and pressed here, on the run's own thread, as a Stop button would be.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <map>
#include <optional>

#include "cli/drive_board.h"
#include "format/format_page_view.h"
#include "format/format_procedure.h"
#include "format/run_progress.h"

namespace orvella::cli {

class LanePage final : public FormatPageView {
 public:
  LanePage(DriveBoard& board, std::size_t row, const std::atomic<bool>& stop, bool quick,
           std::optional<VerifyMethod> verify)
      : board_(board), row_(row), stop_(stop), quick_(quick), verify_(verify) {}

  // The procedure whose Stop button the shared flag presses.
  void Attach(FormatProcedure& procedure) { procedure_ = &procedure; }
  // When the page's question was answered; nothing when it was not asked.
  std::optional<std::chrono::system_clock::time_point> ConfirmedAt() const { return confirmedAt_; }

  void SetProgressPosition(int) override {}
  void SetProgressState(ProgressState) override {}
  void SetCaption(FormatLabel label, const std::u16string& caption) override { captions_[label] = caption; }
  std::u16string Caption(FormatLabel label) override { return captions_[label]; }
  void ShowBytesDone(std::int64_t done, std::int64_t total) override;
  void SetEnabled(FormatControl, bool) override {}
  bool QuickWipeChecked() override { return quick_; }
  VerifyMethod ChosenVerification(bool quickWipe) override { return verify_.value_or(DefaultVerifyMethod(quickWipe)); }
  void FocusStop() override {}
  int ShowTaskDialog(const std::u16string& title, const std::u16string& instruction, const std::u16string& content,
                     int icon, int buttons, int defaultButton) override;
  void ProcessPendingMessages() override;
  void CloseWindow() override {}

 private:
  DriveBoard& board_;
  std::size_t row_;
  const std::atomic<bool>& stop_;
  FormatProcedure* procedure_ = nullptr;
  bool stopPressed_ = false;
  bool quick_;
  std::optional<VerifyMethod> verify_;
  std::map<FormatLabel, std::u16string> captions_;
  TimeLeftEstimate timeLeft_;
  std::optional<std::chrono::system_clock::time_point> confirmedAt_;
};

}  // namespace orvella::cli
