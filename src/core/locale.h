// The user's locale settings that the program's texts follow: the short date
// and long time formats of stamps and report headers, and the decimal
// separator of capacities and speeds. Digit groups are always ",".
#pragma once

#include <string>

#include "core/clock.h"

namespace orvella {

class Locale {
 public:
  virtual ~Locale() = default;
  virtual std::u16string ShortDate(const LocalDateTime& time) = 0;
  virtual std::u16string LongTime(const LocalDateTime& time) = 0;
  virtual char16_t DecimalSeparator() = 0;
};

// Short date, a blank and long time: the form of report headers.
std::u16string DateTimeText(Locale& locale, const LocalDateTime& time);

// The stamp of a log line: like DateTimeText, but at exactly 00:00:00 the
// date alone.
std::u16string StampText(Locale& locale, const LocalDateTime& time);

// The C library's view of the user's locale (the front end calls
// std::setlocale(LC_ALL, "") first): "%x", "%X" and the numeric decimal point.
class CLibraryLocale final : public Locale {
 public:
  std::u16string ShortDate(const LocalDateTime& time) override;
  std::u16string LongTime(const LocalDateTime& time) override;
  char16_t DecimalSeparator() override;
};

}  // namespace orvella
