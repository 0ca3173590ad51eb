// The wall clock, as a seam: log stamps, report headers and the write loop's
// millisecond readings all come from here, so tests can hold or step time.
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
};

}  // namespace orvella
