// orvella [--debug]
//
// The desktop program on the machine's own drives, through the Windows
// backend.
#include "core/clock.h"
#include "platform/windows/win32_os.h"
#include "ui/win32/desktop_program.h"

int main() {
  orvella::Win32Os os;
  orvella::SystemClock clock;
  orvella::win32ui::Win32Locale locale;
  orvella::win32ui::Win32Halt halt;
  orvella::win32ui::DesktopProgram program(os, clock, locale, halt, orvella::win32ui::ProcessArguments());
  return program.Run();
}
