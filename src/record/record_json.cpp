#include "record/record_json.h"

#include <cstdint>
#include <cstdio>

namespace orvella {
namespace {

// The length of the UTF-8 sequence at `at` when it encodes DEL, a C1
// control, or a character that reorders or breaks a line (the marks,
// embeddings, overrides and isolates of bidirectional text, U+2028 and
// U+2029); 0 otherwise. Outside strings JSON text is ASCII without DEL,
// so each such sequence is inside a string.
std::size_t HiddenCharacterAt(const std::string& text, std::size_t at, char32_t& character) {
  const auto byte = [&](std::size_t i) { return i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0u; };
  const unsigned b0 = byte(at);
  if (b0 == 0x7F) return character = 0x7F, 1;
  if (b0 == 0xC2 && byte(at + 1) >= 0x80 && byte(at + 1) <= 0x9F) return character = byte(at + 1), 2;
  if (b0 == 0xD8 && byte(at + 1) == 0x9C) return character = 0x061C, 2;
  if (b0 != 0xE2) return 0;
  const char32_t c = 0x2000 + ((byte(at + 1) & 0x3Fu) << 6) + (byte(at + 2) & 0x3Fu);
  const bool continued = (byte(at + 1) & 0xC0u) == 0x80 && (byte(at + 2) & 0xC0u) == 0x80;
  if (!continued || !(c == 0x200E || c == 0x200F || (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069)))
    return 0;
  return character = c, 3;
}

// JSON escapes only the C0 controls; a C1 control or an override in a
// drive's name would still act on the terminal or the editor that shows the
// file. Written as \uXXXX, they read back as the same characters.
std::string EscapeHiddenCharacters(std::string text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    char32_t character = 0;
    if (const std::size_t length = HiddenCharacterAt(text, at, character)) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(character));
      out += escape;
      at += length;
    } else {
      out += text[at++];
    }
  }
  return out;
}

}  // namespace

std::string IndentedJson(const Json& value) {
  return EscapeHiddenCharacters(value.dump(2, ' ', false, Json::error_handler_t::replace));
}

std::string RecordText(const Json& record) { return IndentedJson(record) + '\n'; }

std::string CompactText(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

}  // namespace orvella
