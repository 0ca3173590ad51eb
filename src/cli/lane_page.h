// The "LOW-LEVEL FORMAT" page of one drive in an erase of several: its
// figures go to the drive's row of the board. The erase was confirmed for
// every drive at once before any run began, so the run's own question is
// answered yes (Confirm). Stop is asked for by the main thread through a shared flag
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
  LanePage(DriveBoard& board, std::size_t row, const std::atomic<bool>& stop)
      : board_(board), row_(row), stop_(stop) {}

  // The procedure whose Stop button the shared flag presses.
  void Attach(FormatProcedure& procedure) { procedure_ = &procedure; }
  // The run's question, answered by the confirmation of all the drives.
  static EraseAnswer Confirm(const EraseQuestion&) { return EraseAnswer::Erase; }

  void SetProgressPosition(int) override {}
  void SetProgressState(ProgressState) override {}
  void SetCaption(FormatLabel label, const std::u16string& caption) override { captions_[label] = caption; }
  std::u16string Caption(FormatLabel label) override { return captions_[label]; }
  void ShowPassProgress(const PassProgress& progress) override;
  void SetEnabled(FormatControl, bool) override {}
  void FocusStop() override {}
  void ProcessPendingMessages() override;
  void CloseWindow() override {}

 private:
  DriveBoard& board_;
  std::size_t row_;
  const std::atomic<bool>& stop_;
  FormatProcedure* procedure_ = nullptr;
  bool stopPressed_ = false;
  std::map<FormatLabel, std::u16string> captions_;
  TimeLeftEstimate timeLeft_;
};

}  // namespace orvella::cli
