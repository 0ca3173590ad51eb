// Any bytes a drive, a volume or a file may report, made safe to show: the
// result holds no control character and no character that reorders a line,
// a second pass changes nothing, and the record's JSON of the same text
// shows none of them either yet reads back as the bytes given.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/display_text.h"
#include "core/text.h"
#include "record/record_json.h"

namespace {

bool Hidden(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
         (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

void RequireShown(const std::string& utf8, bool linesAllowed) {
  for (const char16_t c : orvella::Utf8ToText(utf8))
    if (Hidden(c) && !(linesAllowed && c == u'\n')) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvella;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string safe = DisplaySafeUtf8(bytes);
  RequireShown(safe, false);
  if (DisplaySafeUtf8(safe) != safe) __builtin_trap();
  if (DisplaySafe(Utf8ToText(safe)) != Utf8ToText(safe)) __builtin_trap();
  Excerpt(bytes);

  // The record keeps valid text as it is; its file shows none of it raw.
  const std::string text = TextToUtf8(Utf8ToText(bytes));
  const Json record = {{"model", text}};
  const std::string file = IndentedJson(record);
  RequireShown(file, true);
  const Json back = Json::parse(file, nullptr, false);
  if (back.is_discarded() || back["model"] != text) __builtin_trap();
  return 0;
}
