#include "support/test_program.h"

namespace orvella::test {

std::vector<std::u16string> Unstamped(const std::vector<std::u16string>& lines) {
  std::vector<std::u16string> texts;
  for (const auto& line : lines) {
    const auto at = line.find(u"   ");
    texts.push_back(at == std::u16string::npos ? line : line.substr(at + 3));
  }
  return texts;
}

}  // namespace orvella::test
