// The one-line progress of an erase on a terminal: the write loop's own
// figures (percent, current sector, speed) and an estimate of the time left.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "format/run_progress.h"

namespace orvella::cli {

// The captions joined, then "N left" when there is an estimate.
std::string ProgressText(const std::u16string& percent, const std::u16string& sector,
                         const std::u16string& speed, std::optional<std::int64_t> secondsLeft);

}  // namespace orvella::cli
