#include "core/clock.h"

#include <chrono>
#include <ctime>

namespace orvella {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

const std::int64_t kEpochOffsetDays = -DaysFromCivil(1899, 12, 30);

}  // namespace

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::int64_t ToMilliseconds(const LocalDateTime& t) {
  const std::int64_t days = DaysFromCivil(t.year, static_cast<unsigned>(t.month),
                                          static_cast<unsigned>(t.day)) + kEpochOffsetDays;
  const std::int64_t ms = ((t.hour * 60LL + t.minute) * 60LL + t.second) * 1000LL + t.millisecond;
  return days * kMsPerDay + ms;
}

LocalDateTime FromMilliseconds(std::int64_t milliseconds) {
  std::int64_t days = milliseconds / kMsPerDay;
  std::int64_t rest = milliseconds % kMsPerDay;
  if (rest < 0) {
    rest += kMsPerDay;
    --days;
  }
  // Civil date from days since 1970-01-01.
  std::int64_t z = days - kEpochOffsetDays + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  LocalDateTime t;
  t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (t.month <= 2));
  t.millisecond = static_cast<int>(rest % 1000);
  t.second = static_cast<int>(rest / 1000 % 60);
  t.minute = static_cast<int>(rest / 60'000 % 60);
  t.hour = static_cast<int>(rest / 3'600'000);
  return t;
}

LocalDateTime SystemClock::Now() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  // std::localtime shares a static buffer; the program reads the clock from
  // one thread only.
  if (const std::tm* t = std::localtime(&seconds)) local = *t;
  return LocalDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                       local.tm_min, local.tm_sec, static_cast<int>(ms < 0 ? 0 : ms)};
}

std::int64_t SystemClock::MonotonicMilliseconds() {
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
}

}  // namespace orvella
