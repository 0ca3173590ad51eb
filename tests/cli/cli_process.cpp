#include "cli/cli_process.h"

#include <regex>
#include <sstream>

namespace orvella::test {

std::vector<std::string> UnstampedLines(const std::string& text) {
  // The C locale's "12/08/26 09:30:00", or Windows' en-US "12/8/2026 9:30:00 AM".
  static const std::regex stamp(R"(^\d\d?/\d\d?/\d\d(\d\d)?( \d\d?:\d\d:\d\d( [AP]M)?)?   )");
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(std::regex_replace(line, stamp, ""));
  return lines;
}

std::vector<std::string> CliResult::OutLines() const { return UnstampedLines(out); }
std::vector<std::string> CliResult::ErrLines() const { return UnstampedLines(err); }

}  // namespace orvella::test
