// The figures a desktop window shows beside the progress bar while a run
// goes on: the step ("Writing 1 of 2"), the part of the pass done to a tenth
// of a percent, the bytes done of the total, the time taken and the time
// left for every pass still to come; once the run has ended, the bytes last
// shown and the time it took, with "Stopped" in front when Stop ended it.
// Also the window title with the run's percentage in front.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "format/format_page_view.h"
#include "format/run_progress.h"

namespace orvella {

// "Writing 1 of 2", "Reading back 2 of 2", "Reading back 2 of 2 (sample)".
std::u16string StepText(const PassProgress& progress);

// The part of the pass that is done, to a tenth of a percent, rounded down
// so that "100.0%" means every byte: "42.3%".
std::u16string TenthPercentText(std::int64_t done, std::int64_t total, char16_t decimalSeparator);

class RunFigures {
 public:
  using Clock = std::chrono::steady_clock;

  // The write loop has started: the figures begin afresh.
  void Start(Clock::time_point now);
  bool Running() const { return running_; }
  // After each block: where the run stands, for the time left and the end
  // figures.
  void Update(const PassProgress& progress, char16_t decimalSeparator, Clock::time_point now);
  // Update, then the figures: e.g. "Writing 1 of 2   50.0%   1.00 GB of 2.00 GB
  // elapsed 10 s   30 s left" (three blanks between the figures).
  std::u16string Progress(const PassProgress& progress, char16_t decimalSeparator, Clock::time_point now);
  // Stop ended the run: its end figures say so, and where it stopped.
  void MarkStopped() { stopped_ = true; }
  // The run has ended: "<bytes>   took 20 s", or "took 20 s" when no bytes
  // were shown; after Stop, "Stopped at 42.3% (Writing 1 of 2)   <bytes>
  // took 20 s".
  std::u16string End(Clock::time_point now);

  // The seconds the time-left estimate gives for every pass still to come.
  std::optional<std::int64_t> SecondsLeft() const { return timeLeft_.SecondsLeft(); }
  std::int64_t SecondsSince(Clock::time_point now) const;

 private:
  bool running_ = false;
  bool stopped_ = false;
  Clock::time_point start_;
  TimeLeftEstimate timeLeft_;
  std::u16string bytes_;
  std::u16string where_;  // " at 42.3% (Writing 1 of 2)": where the run last stood
};

// "42% - " + title: the part of the pass that is done, whole percent.
std::u16string ProgressTitle(std::int64_t done, std::int64_t total, const std::u16string& title);

}  // namespace orvella
