#include "certificate/winansi_text.h"

#include <array>
#include <cstdio>

#include "core/text.h"

namespace orvella::certificate {
namespace {

// The characters of bytes 0x80 to 0x9F; 0 where the byte has none.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The byte of a character, or 0 where the set lacks it.
unsigned char WinAnsiByte(char32_t c) {
  if ((c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
  for (std::size_t i = 0; i < kHighControls.size(); ++i)
    if (kHighControls[i] != 0 && kHighControls[i] == c) return static_cast<unsigned char>(0x80 + i);
  return 0;
}

}  // namespace

std::string ToWinAnsi(std::string_view utf8) {
  const std::u16string units = Utf8ToText(utf8);  // ill-formed bytes are U+FFFD by now
  std::string text;
  text.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size())
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    if (const unsigned char b = WinAnsiByte(c); b != 0) {
      text += static_cast<char>(b);
      continue;
    }
    char shown[16];
    std::snprintf(shown, sizeof shown, "<U+%04X>", static_cast<unsigned>(c));
    text += shown;
  }
  return text;
}

}  // namespace orvella::certificate
