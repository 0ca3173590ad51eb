// The standard streams as a terminal sees them: whether a stream is one,
// and the set-up that makes the program's bytes reach it unchanged.
#pragma once

#include <cstdio>

namespace orvella::cli {

// Whether the stream is an interactive terminal (a console on Windows).
bool IsTerminal(std::FILE* stream);

// Makes stdout and stderr carry the program's bytes as they are: UTF-8 and
// "\n" line ends, on a pipe or a file as on Linux, and a Windows console
// that shows UTF-8 and understands the escape codes of the live line.
void PrepareStandardStreams();

// Whether the program runs with administrator rights (root, or an elevated
// Windows token): advice to get them is given only to those without.
bool RunsAsAdministrator();

}  // namespace orvella::cli
