// Breaks a text into the lines of a column of a given width, at blanks,
// and inside a word only where the word alone is wider than the column
// (a digest, a long serial): every character of the text is on a line.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvella::certificate {

// The width of a piece of text as it is drawn.
using TextMeasure = std::function<double(std::string_view)>;

// The lines of `text` (UTF-8) in a column `width` wide; a line break in the
// text starts a new line. A word is cut only between whole characters.
// Joined with the blanks they were broken at, the lines are the text.
std::vector<std::string> WrapLines(std::string_view text, double width, const TextMeasure& measure);

}  // namespace orvella::certificate
