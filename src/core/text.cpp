#include "core/text.h"

namespace orvella {

std::u16string UIntToStr(std::uint64_t value) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
    value /= 10;
  } while (value != 0);
  return digits;
}

std::u16string IntToStr(std::int64_t value) {
  if (value >= 0) return UIntToStr(static_cast<std::uint64_t>(value));
  // Negate in unsigned arithmetic so that INT64_MIN converts too.
  return u"-" + UIntToStr(0 - static_cast<std::uint64_t>(value));
}

std::u16string Trim(std::u16string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && text[first] <= 32) ++first;
  while (last > first && text[last - 1] <= 32) --last;
  return std::u16string(text.substr(first, last - first));
}

std::u16string AsciiLower(std::u16string_view text) {
  std::u16string lower(text);
  for (auto& c : lower)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return lower;
}

std::u16string Latin1ToText(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (unsigned char b : bytes) text.push_back(static_cast<char16_t>(b));
  return text;
}

namespace {

constexpr char16_t kReplacement = u'\uFFFD';

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The code point of the well-formed sequence at `at`, and its length; a
// byte that starts none (stray, overlong, truncated, a surrogate, beyond
// U+10FFFF) gives nothing.
bool DecodeAt(std::string_view utf8, std::size_t at, char32_t& cp, std::size_t& length) {
  const auto lead = static_cast<unsigned char>(utf8[at]);
  char32_t smallest;
  if (lead < 0x80) {
    cp = lead, length = 1;
    return true;
  }
  if (lead >= 0xC2 && lead < 0xE0) cp = lead & 0x1F, length = 2, smallest = 0x80;
  else if (lead >= 0xE0 && lead < 0xF0) cp = lead & 0x0F, length = 3, smallest = 0x800;
  else if (lead >= 0xF0 && lead < 0xF5) cp = lead & 0x07, length = 4, smallest = 0x10000;
  else return false;
  if (at + length > utf8.size()) return false;
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(utf8[at + k]);
    if (!IsContinuation(next)) return false;
    cp = (cp << 6) | (next & 0x3F);
  }
  return cp >= smallest && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
}

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c < 0xE000; }

void AppendUtf8(std::string& utf8, char32_t cp) {
  if (cp < 0x80) {
    utf8.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    utf8.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    utf8.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    utf8.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    utf8.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    utf8.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    utf8.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    utf8.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    utf8.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    utf8.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

// Every byte that starts no well-formed sequence becomes U+FFFD, so the
// text never holds a lone surrogate.
std::u16string Utf8ToText(std::string_view utf8) {
  std::u16string text;
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    std::size_t length = 0;
    if (!DecodeAt(utf8, i, cp, length)) {
      text.push_back(kReplacement);
      ++i;
      continue;
    }
    i += length;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      text.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      text.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      text.push_back(static_cast<char16_t>(cp));
    }
  }
  return text;
}

// A surrogate without its partner has no UTF-8 form: it becomes U+FFFD, so
// the result is always valid UTF-8 (JSON output refuses anything else).
std::string TextToUtf8(std::u16string_view text) {
  std::string utf8;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (IsHighSurrogate(cp) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (IsHighSurrogate(cp) || IsLowSurrogate(cp)) {
      cp = kReplacement;
    }
    AppendUtf8(utf8, cp);
  }
  return utf8;
}

}  // namespace orvella
