#include <unistd.h>

#include "cli/terminal.h"

namespace orvella::cli {

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

// POSIX streams already pass bytes through unchanged.
void PrepareStandardStreams() {}

}  // namespace orvella::cli
