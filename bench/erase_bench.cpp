// orvella-erase-bench --loop /dev/loopN --backing-file FILE [--quick] [--verify full|sample|off]
//
// Runs the program's erase ("FORMAT THIS DEVICE", answered Yes) on one loop
// device and prints how long it took, and how long its read-back took (none
// unless --verify asks for one). It works only on a loop device whose
// backing file is the one named, so that it can never erase anything but the
// benchmark's own drive; bench/erase-vs-dd.sh sets that up.
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>

#include "catalogue/enumeration.h"
#include "core/program.h"
#include "device/drive_run.h"
#include "core/text.h"
#include "format/format_procedure.h"
#include "platform/linux/linux_os.h"

namespace orvella {
namespace {

// Keeps only whether the erase completed and when its read-back began and
// ended.
class SilentPanes final : public LogPanes {
 public:
  using Steady = std::chrono::steady_clock;
  void AppendDebugLog(const std::u16string&) override {}
  void AppendFormatLog(const std::u16string& line) override {
    if (line.ends_with(u"Low-level format is complete.")) complete = true;
    if (line.ends_with(u"Verifying... ")) verifyStart = Steady::now();
    if (line.find(u"Average verification speed: ") != std::u16string::npos) verifyEnd = Steady::now();
  }
  double VerifySeconds() const { return std::chrono::duration<double>(verifyEnd - verifyStart).count(); }
  Steady::time_point verifyStart{}, verifyEnd{};
  void AppendDetails(const std::u16string&) override {}
  void AppendSmart(const std::u16string&) override {}
  bool complete = false;
};

class ExitingHalt final : public Halt {
 public:
  void ShowErrorMessage(const std::u16string& text, const std::u16string& caption) override {
    std::cerr << TextToUtf8(caption) << ": " << TextToUtf8(text) << '\n';
  }
  [[noreturn]] void Terminate(int exitCode) override { std::exit(exitCode == 0 ? 1 : exitCode); }
};

// A page nobody looks at, whose confirmation is answered Yes.
class UnattendedPage final : public FormatPageView {
 public:
  void SetProgressPosition(int) override {}
  void SetProgressState(ProgressState) override {}
  void SetCaption(FormatLabel label, const std::u16string& caption) override {
    if (label == FormatLabel::Speed) speed_ = caption;
  }
  std::u16string Caption(FormatLabel label) override { return label == FormatLabel::Speed ? speed_ : u""; }
  void SetEnabled(FormatControl, bool) override {}
  void FocusStop() override {}
  void ProcessPendingMessages() override {}
  void CloseWindow() override {}

 private:
  std::u16string speed_;
};

std::string FirstLine(const std::string& path) {
  std::ifstream file(path);
  std::string line;
  std::getline(file, line);
  return line;
}

int Usage() {
  std::cerr << "usage: orvella-erase-bench --loop /dev/loopN --backing-file FILE [--quick] [--verify full|sample|off]\n";
  return 2;
}

int Run(int argc, char** argv) {
  std::string node, backing;
  bool quick = false;
  std::optional<VerifyMethod> verify = VerifyMethod::Off;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--loop" && i + 1 < argc)
      node = argv[++i];
    else if (arg == "--backing-file" && i + 1 < argc)
      backing = argv[++i];
    else if (arg == "--quick")
      quick = true;
    else if (arg == "--verify" && i + 1 < argc)
      verify = VerifyMethodNamed(argv[++i]);
    else
      return Usage();
  }
  const std::string name = node.rfind("/dev/loop", 0) == 0 ? node.substr(5) : "";
  if (name.empty() || backing.empty() || !verify) return Usage();
  if (FirstLine("/sys/block/" + name + "/loop/backing_file") != backing) {
    std::cerr << node << " is not a loop device over " << backing << "; refusing to erase it\n";
    return 1;
  }
  std::setlocale(LC_ALL, "");
  LinuxOs os;
  SystemClock clock;
  CLibraryLocale locale;
  SilentPanes panes;
  ExitingHalt halt;
  Program program(os, clock, locale, panes, halt);
  EnumerateDevices(program);
  DriveRun drive(program);
  for (int i = 1; i <= program.DeviceCount; ++i)
    if (os.Drives()[program.DeviceTables[static_cast<std::size_t>(i)].DeviceNumber].name == name)
      drive.SelectedDevice = i;
  if (drive.SelectedDevice < 1) {
    std::cerr << node << " was not found among the drives\n";
    return 1;
  }
  drive.DeviceTitle = Utf8ToText(node);
  drive.DeviceHandle = os.CreateFileW(drive.Entry().DevicePath, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
  if (!drive.IsOpen()) {
    std::cerr << "cannot open " << node << ": " << TextToUtf8(os.SystemErrorText(os.GetLastError())) << '\n';
    return 1;
  }
  UnattendedPage page;
  FormatProcedure procedure(drive, page);
  EraseChoices choices;
  choices.quickWipe = quick;
  choices.verify = *verify;
  const auto start = std::chrono::steady_clock::now();
  procedure.FormatDevice(choices, [](const EraseQuestion&) { return EraseAnswer::Erase; });
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  drive.Close();
  const std::int64_t bytes = drive.Entry().IdentifyData.LBA * drive.Entry().IdentifyData.SectorSize;
  const std::int64_t verified = procedure.LastRun().loop.verification.bytesRead;
  std::cout << "seconds=" << seconds << " bytes=" << bytes << " verify_seconds=" << (verified > 0 ? panes.VerifySeconds() : 0)
            << " verify_bytes=" << verified << (panes.complete ? " complete" : " not complete") << '\n';
  return panes.complete ? 0 : 1;
}

}  // namespace
}  // namespace orvella

int main(int argc, char** argv) { return orvella::Run(argc, argv); }
