// Text helpers. The program's texts are UTF-16 (std::u16string); these
// convert at the edges and give the few shared text rules one home.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvella {

// Plain decimal, "-" for negatives, no separators.
std::u16string IntToStr(std::int64_t value);
std::u16string UIntToStr(std::uint64_t value);

// Removes every character of code 0 to 32 from both ends.
std::u16string Trim(std::u16string_view text);

// Lower case for the letters A to Z only.
std::u16string AsciiLower(std::u16string_view text);

// Each byte becomes the character of the same code (0 to 255).
std::u16string Latin1ToText(std::string_view bytes);

std::u16string Utf8ToText(std::string_view utf8);
std::string TextToUtf8(std::u16string_view text);

}  // namespace orvella
