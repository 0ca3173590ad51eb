// orvella [--debug]
//
// The desktop program on the machine's own drives.
#include <QApplication>

#include "core/clock.h"
#include "platform/linux/linux_os.h"
#include "platform/linux/system_disk.h"
#include "ui/qt/command_line.h"
#include "ui/qt/desktop_program.h"
#include "ui/qt/qt_halt.h"
#include "ui/qt/qt_locale.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  orvella::LinuxOs os;
  orvella::SystemClock clock;
  orvella::qt::QtLocale locale;
  orvella::qt::QtHalt halt;
  orvella::qt::DesktopProgram program(os, clock, locale, halt, orvella::qt::CommandLine(argc, argv));
  program.State().systemUseOf = orvella::linux_backend::LinuxSystemUse(os);
  return program.Run();
}
