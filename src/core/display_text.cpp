#include "core/display_text.h"

#include <algorithm>

#include "core/text.h"

namespace orvella {
namespace {

bool IsControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// Marks and embeddings that change the order in which the text around them
// is shown, and the characters that end a line without a line feed.
bool ReordersOrBreaks(char16_t c) {
  return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

bool NeedsEscape(char16_t c) { return IsControl(c) || ReordersOrBreaks(c); }

std::u16string Hex(unsigned value, int digits) {
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  std::u16string text;
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) text += kDigits[(value >> shift) & 0xF];
  return text;
}

std::u16string Escape(char16_t c) {
  if (IsControl(c)) return u"\\x" + Hex(c, 2);
  std::u16string name = u"<U+" + Hex(c, 4) + u">";
  std::transform(name.begin(), name.end(), name.begin(),
                 [](char16_t d) { return d >= u'a' && d <= u'f' ? static_cast<char16_t>(d - 0x20) : d; });
  return name;
}

}  // namespace

bool NeedsDisplayEscape(std::u16string_view text) { return std::any_of(text.begin(), text.end(), NeedsEscape); }

std::u16string DisplaySafe(std::u16string_view text) {
  if (!NeedsDisplayEscape(text)) return std::u16string(text);
  std::u16string safe;
  for (char16_t c : text) {
    if (NeedsEscape(c))
      safe += Escape(c);
    else
      safe += c;
  }
  return safe;
}

std::string Excerpt(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return std::string(text);
  std::size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return std::string(text.substr(0, cut)) + "... (" + std::to_string(text.size()) + " bytes)";
}

std::string DisplaySafeUtf8(std::string_view text) {
  const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x7F;
  });
  if (plain) return std::string(text);
  return TextToUtf8(DisplaySafe(Utf8ToText(text)));
}

}  // namespace orvella
