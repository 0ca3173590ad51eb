// orvella-cli's command line: the input, split at zero bytes, is the
// argument list. Every list gives options or an exit code, never a fault.
#include <cstdint>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/cli_options.h"

namespace {

// Help, version and mistakes are written; the fuzzer has no use for them.
class Discard final : public std::streambuf {
 protected:
  int overflow(int c) override { return c == traits_type::eof() ? 0 : c; }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static Discard discard;
  std::cout.rdbuf(&discard);
  std::cerr.rdbuf(&discard);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> words{"orvella-cli"};
  std::string word;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      words.push_back(word);
      word.clear();
    } else {
      word.push_back(static_cast<char>(data[i]));
    }
  }
  words.push_back(word);
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  orvella::cli::ParseOptions(static_cast<int>(words.size()), argv.data());
  return 0;
}
