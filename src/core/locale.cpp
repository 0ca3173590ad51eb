#include "core/locale.h"

#include <clocale>
#include <ctime>

#include "core/text.h"

namespace orvella {
namespace {

std::u16string FormatTime(const LocalDateTime& t, const char* pattern) {
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  char out[128];
  const std::size_t n = std::strftime(out, sizeof out, pattern, &tm);
  return Utf8ToText(std::string_view(out, n));
}

}  // namespace

std::u16string DateTimeText(Locale& locale, const LocalDateTime& time) {
  return locale.ShortDate(time) + u" " + locale.LongTime(time);
}

std::u16string StampText(Locale& locale, const LocalDateTime& time) {
  if (time.hour == 0 && time.minute == 0 && time.second == 0) return locale.ShortDate(time);
  return DateTimeText(locale, time);
}

std::u16string CLibraryLocale::ShortDate(const LocalDateTime& time) { return FormatTime(time, "%x"); }

std::u16string CLibraryLocale::LongTime(const LocalDateTime& time) { return FormatTime(time, "%X"); }

char16_t CLibraryLocale::DecimalSeparator() {
  const std::lconv* conv = std::localeconv();
  if (conv == nullptr || conv->decimal_point == nullptr || conv->decimal_point[0] == '\0') return u'.';
  return static_cast<char16_t>(static_cast<unsigned char>(conv->decimal_point[0]));
}

}  // namespace orvella
