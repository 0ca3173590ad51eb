// The command line of the Qt executables, after QApplication has taken its
// own options out of it.
#pragma once

#include <string>
#include <vector>

namespace orvella::qt {

std::vector<std::u16string> CommandLine(int argc, char** argv);

}  // namespace orvella::qt
