// orvella-demo [--debug] [drive-file.json]
//
// The desktop program on simulated drives: the built-in demo machine, or the
// drive description file named on the command line. Simulated writes take
// real time, as their drives' speed limits say. The drive file is taken out
// of the command line the program sees, so "--debug" may stand before or
// after it.
#include <chrono>
#include <thread>

#include "core/clock.h"
#include "core/text.h"
#include "platform/virtual/demo_drives.h"
#include "platform/virtual/virtual_os.h"
#include "ui/win32/desktop_program.h"
#include "ui/win32/gui.h"

namespace orvella::win32ui {
namespace {

void RealSleep(std::int64_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

int Run(int argc, char** argv) {
  std::vector<std::u16string> arguments = ProcessArguments();
  VirtualMachine machine;
  try {
    machine = DemoMachineOfCommandLine(argc, argv, arguments);
  } catch (const std::exception& error) {  // a bad file, or no memory for a huge one
    MessageBoxW(nullptr, Wide(Utf8ToText(error.what())), L"orvella-demo", MB_OK | MB_ICONERROR);
    return 1;
  }
  VirtualOs os(std::move(machine), RealSleep);
  SystemClock clock;
  Win32Locale locale;
  Win32Halt halt;
  DesktopProgram program(os, clock, locale, halt, std::move(arguments));
  return program.Run();
}

}  // namespace
}  // namespace orvella::win32ui

int main(int argc, char** argv) { return orvella::win32ui::Run(argc, argv); }
