// On Windows a console, not isatty, tells a terminal: isatty is true for any
// character device, NUL included. The C library would turn "\n" into "\r\n"
// on text-mode streams; binary mode keeps the output byte for byte the same
// as on Linux.
#include "cli/terminal.h"

#include <fcntl.h>
#include <io.h>

#include <initializer_list>

#include <windows.h>

namespace orvella::cli {
namespace {

HANDLE ConsoleOf(std::FILE* stream) {
  const int fd = _fileno(stream);
  if (fd < 0) return INVALID_HANDLE_VALUE;
  return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

void EnableEscapeCodes(std::FILE* stream) {
  const HANDLE console = ConsoleOf(stream);
  DWORD mode = 0;
  if (::GetConsoleMode(console, &mode) != FALSE)
    ::SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

}  // namespace

bool IsTerminal(std::FILE* stream) {
  DWORD mode = 0;
  return ::GetConsoleMode(ConsoleOf(stream), &mode) != FALSE;
}

void PrepareStandardStreams() {
  ::SetConsoleOutputCP(CP_UTF8);
  for (std::FILE* stream : {stdout, stderr}) {
    _setmode(_fileno(stream), _O_BINARY);
    EnableEscapeCodes(stream);
  }
}

}  // namespace orvella::cli
