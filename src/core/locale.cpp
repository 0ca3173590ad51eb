#include "core/locale.h"

#include <clocale>
#include <ctime>
#include <cwchar>
#include <string_view>

namespace orvella {
namespace {

// strftime writes in the locale's own character set, which need not be
// UTF-8 (ko_KR.euckr): the text is decoded the way the locale says.
// Bytes it cannot decode become U+FFFD.
std::u16string LocaleBytesToText(std::string_view bytes) {
  std::u16string text;
  std::mbstate_t state{};
  for (std::size_t at = 0; at < bytes.size();) {
    wchar_t wide = 0;
    const std::size_t used = std::mbrtowc(&wide, bytes.data() + at, bytes.size() - at, &state);
    if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2)) {
      text.push_back(u'\uFFFD');
      state = std::mbstate_t{};
      ++at;
      continue;
    }
    at += used == 0 ? 1 : used;
    const auto cp = static_cast<char32_t>(wide);
    if (cp >= 0x10000 && cp <= 0x10FFFF) {
      text.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      text.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      text.push_back(cp > 0xFFFF ? u'\uFFFD' : static_cast<char16_t>(cp));
    }
  }
  return text;
}

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
  return LocaleBytesToText(std::string_view(out, n));
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
