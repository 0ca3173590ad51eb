// The one-line progress of an erase on a terminal: the step and the part of
// it done, the bytes done of the total, the write loop's own figures (current
// sector, speed), the time taken and an estimate of the time left, every
// number grouped by thousands.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "format/format_page_view.h"

namespace orvella::cli {

struct ProgressFigures {
  PassProgress progress;
  std::u16string sector;  // lbCurrentPosition's caption
  std::u16string speed;   // lbSpeed's caption; empty until measured
  std::int64_t elapsedSeconds = 0;
  std::optional<std::int64_t> secondsLeft;
  char16_t decimalSeparator = u'.';
};

// "Writing 1 of 2: 42.3% complete   1,000 MB of 2,000 MB   Current sector:
// 14,208   7,040.3 MB/s   elapsed 10 s   3 min 12 s left".
std::string ProgressText(const ProgressFigures& figures);

}  // namespace orvella::cli
