#include "ui/qt/command_line.h"

#include <QString>

namespace orvella::qt {

std::vector<std::u16string> CommandLine(int argc, char** argv) {
  std::vector<std::u16string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(QString::fromLocal8Bit(argv[i]).toStdU16String());
  return arguments;
}

}  // namespace orvella::qt
