// orvella-demo-walk [drive-file.json]
//
// Runs the device walk in debug mode over simulated drives (the built-in demo
// machine, or the drive description file named on the command line) and
// prints the debug lines as they are written, then the device catalogue.
#include <clocale>
#include <cstdlib>
#include <iostream>
#include <string>

#include "catalogue/enumeration.h"
#include "core/program.h"
#include "core/text.h"
#include "platform/virtual/demo_drives.h"
#include "platform/virtual/drive_file.h"
#include "platform/virtual/virtual_os.h"
#include "reports/text_forms.h"

namespace orvella {
namespace {

// The debug log goes to the terminal as it is written; the panes that the
// walk does not write stay silent.
class TerminalPanes final : public LogPanes {
 public:
  void AppendDebugLog(const std::u16string& line) override { std::cout << TextToUtf8(line) << '\n'; }
  void AppendFormatLog(const std::u16string&) override {}
  void AppendDetails(const std::u16string&) override {}
  void AppendSmart(const std::u16string&) override {}
};

class TerminalHalt final : public Halt {
 public:
  void ShowErrorMessage(const std::u16string& text, const std::u16string& caption) override {
    std::cout.flush();
    std::cerr << TextToUtf8(caption) << ": " << TextToUtf8(text) << '\n';
  }
  [[noreturn]] void Terminate(int exitCode) override { std::exit(exitCode); }
};

std::string Utf8(const std::u16string& text) { return TextToUtf8(text); }

void PrintEntry(Program& program, int index) {
  const TDeviceTable& entry = program.DeviceTables[static_cast<std::size_t>(index)];
  const TIdentifyDeviceData& id = entry.IdentifyData;
  std::cout << Utf8(GetDeviceTitle(program.DeviceTables, index, program.locale.DecimalSeparator())) << '\n'
            << "      " << Utf8(entry.DevicePath) << "  bus " << Utf8(BusTypeToStr(id.BusType)) << ", serial "
            << Utf8(id.SN) << ", " << (id.RemovableMedia ? "removable" : "fixed") << ", "
            << (id.IsIDESlave != 0 ? "slave" : "master") << ", up to " << id.MaximumSectorsTransfer
            << " sectors per transfer\n";
}

int Run(int argc, char** argv) {
  if (argc > 2 || (argc == 2 && std::string(argv[1]).starts_with("-"))) {
    std::cerr << "usage: orvella-demo-walk [drive-file.json]\n"
                 "Walks the drives of the built-in demo machine, or of the drive description file given.\n";
    return 2;
  }
  std::setlocale(LC_ALL, "");
  VirtualMachine machine;
  try {
    machine = argc == 2 ? ReadDriveFile(argv[1]) : DemoDrives();
  } catch (const DriveFileError& e) {
    std::cerr << "orvella-demo-walk: " << e.what() << '\n';
    return 1;
  }

  VirtualOs os(std::move(machine));
  SystemClock clock;
  CLibraryLocale locale;
  TerminalPanes panes;
  TerminalHalt halt;
  Program program(os, clock, locale, panes, halt);
  program.DebugMode = true;

  std::cout << "Debug log:\n";
  EnumerateDevices(program);
  std::cout << "\nDisks found: " << program.DeviceCount << '\n';
  for (int index = 1; index <= program.DeviceCount; ++index) PrintEntry(program, index);
  return 0;
}

}  // namespace
}  // namespace orvella

int main(int argc, char** argv) { return orvella::Run(argc, argv); }
