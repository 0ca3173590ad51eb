#include <unistd.h>

#include <csignal>

#include "cli/terminal.h"

namespace orvella::cli {

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

// POSIX streams already pass bytes through unchanged. A reader that closes
// the pipe early (`| head`) must not kill an erase before its record is
// written: the failed write is noted and told at the end instead.
void PrepareStandardStreams() { std::signal(SIGPIPE, SIG_IGN); }

bool RunsAsAdministrator() { return geteuid() == 0; }

}  // namespace orvella::cli
