// The figures of a run in progress that every front end shows beside the
// write loop's own: the time it has taken, an estimate of the time left and
// how many bytes of how many the pass has done.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace orvella {

// "1 h 02 min", "3 min 12 s", "12 s".
std::string DurationText(std::int64_t seconds);

// "1.2 GB of 500.1 GB", with the capacity units of the drive list, their
// whole numbers grouped ("1,000 MB of 2,000 MB").
std::u16string BytesOfTotalText(std::int64_t done, std::int64_t total, char16_t decimalSeparator);

// The first run of digits in `text` grouped by thousands with
// `groupSeparator` ("7040.3 MB/s" becomes "7,040.3 MB/s").
std::u16string GroupLeadingNumber(std::u16string text, char16_t groupSeparator);

// The mark between groups of thousands beside a decimal separator: "."
// where the decimals follow ",", else ",".
char16_t GroupSeparatorBeside(char16_t decimalSeparator);

// Estimates the time left from the average rate of the run so far.
class TimeLeftEstimate {
 public:
  using Clock = std::chrono::steady_clock;

  // The pass reports, after each block, the bytes it has done of `total`,
  // and what the passes after it will handle (`later`, taken at this
  // pass's rate, so the estimate covers the read-back too); a report with
  // fewer bytes or another total begins a new pass (the read-back after
  // the writes), whose estimate starts afresh.
  void BytesDone(std::int64_t done, std::int64_t total, Clock::time_point now, std::int64_t later = 0);
  std::optional<std::int64_t> SecondsLeft() const { return secondsLeft_; }

 private:
  std::optional<Clock::time_point> start_;
  std::int64_t startDone_ = 0;  // the bytes done at start_
  std::int64_t done_ = 0;
  std::int64_t total_ = 0;
  std::optional<std::int64_t> secondsLeft_;
};

}  // namespace orvella
