// orvella-demo [--debug] [drive-file.json]
//
// The desktop program on simulated drives: the built-in demo machine, or the
// drive description file named on the command line. Simulated writes take
// real time, as their drives' speed limits say. The drive file is taken out
// of the command line the program sees, so "--debug" may stand before or
// after it.
#include <QApplication>
#include <QMessageBox>
#include <chrono>
#include <iostream>
#include <thread>

#include "core/clock.h"
#include "platform/virtual/demo_drives.h"
#include "platform/virtual/virtual_os.h"
#include "ui/qt/command_line.h"
#include "ui/qt/desktop_program.h"
#include "ui/qt/qt_halt.h"
#include "ui/qt/qt_locale.h"

namespace orvella::qt {
namespace {

void RealSleep(std::int64_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

int Run(int argc, char** argv) {
  QApplication application(argc, argv);
  std::vector<std::u16string> arguments = CommandLine(argc, argv);
  VirtualMachine machine;
  try {
    machine = DemoMachineOfCommandLine(argc, argv, arguments);
  } catch (const std::exception& error) {  // a bad file, or no memory for a huge one
    std::cerr << "orvella-demo: " << error.what() << '\n';
    QMessageBox::critical(nullptr, QStringLiteral("orvella-demo"), QString::fromUtf8(error.what()));
    return 1;
  }
  VirtualOs os(std::move(machine), RealSleep);
  SystemClock clock;
  QtLocale locale;
  QtHalt halt;
  DesktopProgram program(os, clock, locale, halt, std::move(arguments));
  return program.Run();
}

}  // namespace
}  // namespace orvella::qt

int main(int argc, char** argv) { return orvella::qt::Run(argc, argv); }
