#include "record/iso_time.h"

#include <cstdio>
#include <ctime>

namespace orvella {
namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

std::int64_t SecondsOf(const std::tm& t) {
  return DaysFromCivil(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday) * 86400 + t.tm_hour * 3600 + t.tm_min * 60 +
         t.tm_sec;
}

}  // namespace

// The offset is the local broken-down time less the UTC one, so it does not
// depend on strftime's %z, which some C libraries answer with a zone name.
std::string IsoLocalTime(std::chrono::system_clock::time_point time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  const std::tm local = *std::localtime(&seconds);
  const std::tm utc = *std::gmtime(&seconds);
  const std::int64_t offsetMinutes = (SecondsOf(local) - SecondsOf(utc)) / 60;
  const std::int64_t magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, offsetMinutes < 0 ? '-' : '+',
                static_cast<int>(magnitude / 60), static_cast<int>(magnitude % 60));
  return text;
}

}  // namespace orvella
