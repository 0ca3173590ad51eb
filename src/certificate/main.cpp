// orvella-certificate RECORD.json OUT.pdf
//
// Renders an erase record as a one-page PDF certificate. A record that is
// not valid JSON, or whose SHA-256 digest does not match its content, is
// refused: a certificate must not vouch for a record that was changed.
#include <QGuiApplication>

#include <fstream>
#include <iostream>
#include <sstream>

#include "certificate/certificate_page.h"
#include "record/record_digest.h"

namespace {

constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

int Fail(const std::string& message, int code) {
  std::cerr << "orvella-certificate: " << message << '\n';
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: orvella-certificate RECORD.json OUT.pdf", kExitUsage);
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) return Fail(std::string("cannot read ") + argv[1], kExitRefused);
  std::ostringstream text;
  text << in.rdbuf();
  const orvella::RecordCheck check = orvella::ReadSealedRecord(text.str());
  if (!check.record) return Fail(std::string(argv[1]) + ": " + check.problem + "; no certificate written", kExitRefused);

  // Drawing text needs the font machinery of a GUI application, not a screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  QString problem;
  try {
    if (!orvella::certificate::WriteCertificate(*check.record, QString::fromLocal8Bit(argv[2]), problem))
      return Fail(problem.toStdString(), kExitRefused);
  } catch (const orvella::Json::exception& error) {
    return Fail(std::string(argv[1]) + ": not an erase record (" + error.what() + ")", kExitRefused);
  }
  return 0;
}
