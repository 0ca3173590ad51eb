// What a hostile drive may call itself: a product name whose escape
// sequences, shown raw on a terminal, erase the line above and print a false
// "Drive 0:" line naming another disk; and a right-to-left override that
// reverses the rest of a field on a page.
#pragma once

#include <string>

namespace orvella::test {

inline constexpr char kSpoofingProduct[] =
    "Stick\x1b[2K\r\x1b[1A\x1b[2KDrive 0: \\\\.\\PhysicalDrive0, model \"BACKUP DISK\"";
// "Stick" and the override, U+202E, in UTF-8.
inline constexpr char kReversingProduct[] = "Stick\xe2\x80\xae" "KSID PUKCAB";

// Whether `text` holds anything a terminal or a page would act on rather
// than show: C0 or C1 controls, DEL, or a bidirectional override.
inline bool HoldsRawControls(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if ((c < 0x20 && c != '\n') || c == 0x7F) return true;
    if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0) return true;
    if (text.compare(i, 3, "\xe2\x80\xae") == 0) return true;
  }
  return false;
}

}  // namespace orvella::test
