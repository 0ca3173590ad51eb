// orvella [--debug]
//
// The desktop program on the machine's own drives. The backend that answers
// for real drives on this system is not part of the program yet, so for now
// it says so and ends without touching any drive.
#include <QApplication>
#include <QMessageBox>
#include <iostream>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QString message = QStringLiteral(
      "Real drives are not supported yet on this system. "
      "Run orvella-demo to try the program on simulated drives.");
  std::cerr << "orvella: " << message.toStdString() << '\n';
  QMessageBox::critical(nullptr, QStringLiteral("Orvella 4.30"), message);
  return 1;
}
