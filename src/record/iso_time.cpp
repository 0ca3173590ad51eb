#include "record/iso_time.h"

#include <cstdint>
#include <cstdio>
#include <ctime>

#include "core/clock.h"

namespace orvella {
namespace {

// Seconds since 1970 of a calendar time read as if it were UTC.
std::int64_t CalendarSeconds(const std::tm& t) {
  const std::int64_t days = DaysFromCivil(t.tm_year + 1900, static_cast<unsigned>(t.tm_mon + 1),
                                          static_cast<unsigned>(t.tm_mday));
  return ((days * 24 + t.tm_hour) * 60 + t.tm_min) * 60 + t.tm_sec;
}

}  // namespace

// The offset is the local calendar time less the UTC one: strftime's "%z"
// gives the zone's name instead on Windows.
std::string IsoLocalTime(std::chrono::system_clock::time_point time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm local{};
  std::tm utc{};
#ifdef _WIN32
  localtime_s(&local, &seconds);
  gmtime_s(&utc, &seconds);
#else
  localtime_r(&seconds, &local);
  gmtime_r(&seconds, &utc);
#endif
  const std::int64_t offsetMinutes = (CalendarSeconds(local) - CalendarSeconds(utc)) / 60;
  const std::int64_t magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
  char text[128];  // room for any int, as the compiler counts
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                offsetMinutes < 0 ? '-' : '+', static_cast<int>(magnitude / 60), static_cast<int>(magnitude % 60));
  return text;
}

}  // namespace orvella
