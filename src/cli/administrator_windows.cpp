// Administrator rights on Windows: an elevated token. The test runner of
// orvella-cli asks the same question of itself, through this same file.
#include <windows.h>

#include "cli/terminal.h"

namespace orvella::cli {

bool RunsAsAdministrator() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  const bool elevated = ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
                        elevation.TokenIsElevated != 0;
  ::CloseHandle(token);
  return elevated;
}

}  // namespace orvella::cli
