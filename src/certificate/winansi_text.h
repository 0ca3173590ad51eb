// Text for the PDF's built-in fonts, which show only the 8-bit Windows
// "ANSI" character set (WinAnsiEncoding, code page 1252): the page falls
// back to them where no TrueType font is found on the machine.
#pragma once

#include <string>
#include <string_view>

namespace orvella::certificate {

// UTF-8 as WinAnsiEncoding bytes; a character the set lacks becomes
// "<U+4E2D>" and the like, so that the page shows that something is there
// and what, rather than dropping it or printing a look-alike.
std::string ToWinAnsi(std::string_view utf8);

}  // namespace orvella::certificate
