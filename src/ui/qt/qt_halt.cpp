#include "ui/qt/qt_halt.h"

#include <QMessageBox>
#include <cstdlib>

#include "ui/qt/qt_text.h"

namespace orvella::qt {

void QtHalt::ShowErrorMessage(const std::u16string& text, const std::u16string& caption) {
  QMessageBox box(QMessageBox::Critical, ToQt(caption), ToQt(text), QMessageBox::Ok);
  box.exec();
}

void QtHalt::Terminate(int exitCode) { std::_Exit(exitCode); }

}  // namespace orvella::qt
