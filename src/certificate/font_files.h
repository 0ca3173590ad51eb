// The TrueType fonts the certificate embeds where the machine has them:
// DejaVu Sans on Linux (Debian's fonts-dejavu-core), Arial in the fonts
// folder of Windows. A face without a file is drawn with the PDF's built-in
// font of its kind; the fixed-width face, which shows only the digest's
// hexadecimal digits, always is.
#pragma once

#include <string>

namespace orvella::certificate {

struct FontFiles {
  std::string regular;  // each empty where no file was found
  std::string bold;
};

FontFiles SystemFontFiles();

// Whether a file has the form of a TrueType font: its header, a table
// directory inside the file, and the tables a PDF needs of it. The PDF
// library reads a font without checking it, and ends the program on a file
// that is not one.
bool IsTrueTypeFont(const std::string& file);

}  // namespace orvella::certificate
