// The figures a desktop window shows beside the progress bar while a run
// goes on: the bytes done of the total, the time taken and the time left;
// once the run has ended, the bytes last shown and the time it took. Also
// the window title with the run's percentage in front.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "format/run_progress.h"

namespace orvella {

class RunFigures {
 public:
  using Clock = std::chrono::steady_clock;

  // The write loop has started: the figures begin afresh.
  void Start(Clock::time_point now);
  bool Running() const { return running_; }
  // After each block: e.g. "1.0 GB of 2.0 GB   elapsed 10 s   10 s left".
  std::u16string Progress(std::int64_t done, std::int64_t total, char16_t decimalSeparator, Clock::time_point now);
  // The run has ended: "<bytes>   took 20 s", or "took 20 s" when no bytes
  // were shown.
  std::u16string End(Clock::time_point now);

 private:
  std::int64_t SecondsSince(Clock::time_point now) const;

  bool running_ = false;
  Clock::time_point start_;
  TimeLeftEstimate timeLeft_;
  std::u16string bytes_;
};

// "42% - " + title: the part of the pass that is done, whole percent.
std::u16string ProgressTitle(std::int64_t done, std::int64_t total, const std::u16string& title);

}  // namespace orvella
