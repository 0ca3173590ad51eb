// The clocks, as a seam: the wall clock gives log stamps and report headers,
// the monotonic clock times the erase (speed, block sizes), so that a clock
// step or a daylight-saving change during a run changes nothing. Tests hold
// or step either.
#pragma once

#include <cstdint>

namespace orvella {

struct LocalDateTime {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // The current local date and time.
  virtual LocalDateTime Now() = 0;
  // Milliseconds from a fixed, unspecified start; never steps back.
  virtual std::int64_t MonotonicMilliseconds() = 0;
};

// The local date and time as milliseconds: the day count since 30 December
// 1899 with its fraction, times 86,400,000. Like the wall clock it is read
// from, it can step backwards.
std::int64_t ToMilliseconds(const LocalDateTime& time);

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day);

// The inverse of ToMilliseconds.
LocalDateTime FromMilliseconds(std::int64_t milliseconds);

// The machine's local time.
class SystemClock final : public Clock {
 public:
  LocalDateTime Now() override;
  std::int64_t MonotonicMilliseconds() override;
};

}  // namespace orvella
