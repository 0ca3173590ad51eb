#include "certificate/line_wrap.h"

#include <algorithm>

namespace orvella::certificate {
namespace {

bool ContinuesCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// Fills lines of one paragraph: words joined by blanks while they fit.
class LineFiller {
 public:
  LineFiller(double width, const TextMeasure& measure, std::vector<std::string>& lines)
      : width_(width), measure_(measure), blank_(measure(" ")), lines_(lines) {}

  void Add(std::string_view word) {
    const double wordWidth = measure_(word);
    if (started_ && used_ + blank_ + wordWidth <= width_) {
      line_ += ' ';
      line_ += word;
      used_ += blank_ + wordWidth;
      return;
    }
    if (started_) Break();
    started_ = true;
    if (wordWidth <= width_) {
      line_ = word;
      used_ = wordWidth;
    } else {
      Cut(word);
    }
  }

  void Finish() { lines_.push_back(std::move(line_)); }

 private:
  void Break() {
    lines_.push_back(std::move(line_));
    line_.clear();
    used_ = 0;
  }

  // A word wider than the column, over as many lines as it needs, one
  // whole character at a time; a line holds at least one character.
  void Cut(std::string_view word) {
    for (std::size_t at = 0; at < word.size();) {
      std::size_t end = at + 1;
      while (end < word.size() && ContinuesCharacter(word[end])) ++end;
      const double charWidth = measure_(word.substr(at, end - at));
      if (!line_.empty() && used_ + charWidth > width_) Break();
      line_.append(word.substr(at, end - at));
      used_ += charWidth;
      at = end;
    }
  }

  double width_;
  const TextMeasure& measure_;
  double blank_;
  std::vector<std::string>& lines_;
  std::string line_;
  double used_ = 0;
  bool started_ = false;
};

std::string_view Before(std::string_view text, std::size_t at, char separator) {
  return text.substr(at, std::min(text.find(separator, at), text.size()) - at);
}

}  // namespace

std::vector<std::string> WrapLines(std::string_view text, double width, const TextMeasure& measure) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  for (std::size_t at = 0; at <= text.size();) {
    const std::string_view paragraph = Before(text, at, '\n');
    LineFiller filler(width, measure, lines);
    for (std::size_t word = 0; word <= paragraph.size();) {
      const std::string_view piece = Before(paragraph, word, ' ');
      filler.Add(piece);
      word += piece.size() + 1;
    }
    filler.Finish();
    at += paragraph.size() + 1;
  }
  return lines;
}

}  // namespace orvella::certificate
