// Times of an erase record: ISO 8601 local time with its numeric offset
// from UTC ("2024-05-01T14:03:27+02:00"), so a record read in another time
// zone, or after a daylight-saving change, still names one instant.
#pragma once

#include <chrono>
#include <string>

namespace orvella {

std::string IsoLocalTime(std::chrono::system_clock::time_point time);

}  // namespace orvella
