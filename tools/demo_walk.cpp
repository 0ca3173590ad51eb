// orvella-demo-walk [drive-file.json]
//
// Runs the device walk in debug mode over simulated drives (the built-in demo
// machine, or the drive description file named on the command line) and
// prints the debug lines as they are written, then the device catalogue, then
// the device details report and the S.M.A.R.T. report of the first drive.
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
#include "reports/device_details_report.h"
#include "reports/smart_report.h"
#include "reports/text_forms.h"

namespace orvella {
namespace {

// The debug log and the two report panes go to the terminal as they are
// written; the format log stays silent.
class TerminalPanes final : public LogPanes {
 public:
  void AppendDebugLog(const std::u16string& line) override { Print(line); }
  void AppendFormatLog(const std::u16string&) override {}
  void AppendDetails(const std::u16string& line) override { Print(line); }
  void AppendSmart(const std::u16string& line) override { Print(line); }

 private:
  static void Print(const std::u16string& line) { std::cout << TextToUtf8(line) << '\n'; }
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

// Opens the first drive as the main window opens the chosen one, and writes
// both reports of it.
void ShowReportsOfFirstDrive(Program& program) {
  program.SelectedDevice = 1;
  const std::u16string& path = program.SelectedEntry().DevicePath;
  program.DeviceHandle = program.os.CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
  if (program.DeviceHandle == INVALID_HANDLE_VALUE) {
    std::cerr << "orvella-demo-walk: " << Utf8(path) << " does not open for reading and writing\n";
    return;
  }
  std::cout << "\nDevice details (" << Utf8(path) << "):\n";
  ShowDeviceDetails(program);
  std::cout << "\nS.M.A.R.T. data (" << Utf8(path) << "):\n";
  ShowSmartReport(program);
  program.os.CloseHandle(program.DeviceHandle);
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
  if (program.DeviceCount > 0) ShowReportsOfFirstDrive(program);
  return 0;
}

}  // namespace
}  // namespace orvella

int main(int argc, char** argv) { return orvella::Run(argc, argv); }
