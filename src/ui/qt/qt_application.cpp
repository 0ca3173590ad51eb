#include "ui/qt/qt_application.h"

#include <QApplication>

#include "ui/qt/qt_text.h"

namespace orvella::qt {

// The application title names the program wherever the desktop shows it
// without a window caption (task bars, untitled message boxes).
void QtApplication::SetTitle(const std::u16string& title) { QCoreApplication::setApplicationName(ToQt(title)); }

// Modal windows close themselves when the logic ends the program; the main
// loop, when it runs, ends here.
void QtApplication::Terminate() {
  terminated_ = true;
  if (loopRunning_) QCoreApplication::exit(0);
}

int QtApplication::RunMessageLoop() {
  if (terminated_) return 0;
  mainWindow_.show();
  loopRunning_ = true;
  const int exitCode = QApplication::exec();
  loopRunning_ = false;
  return exitCode;
}

}  // namespace orvella::qt
