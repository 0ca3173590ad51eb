#include "cli/cli_process.h"

#include <regex>
#include <sstream>

namespace orvella::test {

std::vector<std::string> UnstampedLines(const std::string& text) {
  static const std::regex stamp(R"(^\d\d/\d\d/\d\d( \d\d:\d\d:\d\d)?   )");
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(std::regex_replace(line, stamp, ""));
  return lines;
}

std::vector<std::string> CliResult::OutLines() const { return UnstampedLines(out); }
std::vector<std::string> CliResult::ErrLines() const { return UnstampedLines(err); }

}  // namespace orvella::test
