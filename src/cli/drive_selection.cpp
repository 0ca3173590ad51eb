#include "cli/drive_selection.h"

#include <algorithm>
#include <variant>

#include "cli/terminal.h"
#include "catalogue/enumeration.h"
#include "core/system_error_text.h"
#include "core/text.h"
#include "reports/drive_list.h"
#include "reports/text_forms.h"

namespace orvella::cli {
namespace {

// The number a text of decimal digits stands for (leading zeros allowed),
// when it is a drive number the walk tries: 0 to 255.
std::optional<std::uint32_t> DecimalDriveNumber(const std::string& text) {
  if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const std::string digits = text.substr(std::min(text.find_first_not_of('0'), text.size() - 1));
  if (digits.size() > 3 || std::stoi(digits) > 255) return std::nullopt;
  return static_cast<std::uint32_t>(std::stoi(digits));
}

// N of "\\.\PhysicalDriveN" (letters in any case), the name every backend
// gives drive N; nothing for any other text.
std::optional<std::uint32_t> PhysicalDriveNumber(const std::string& drive) {
  constexpr std::string_view kPrefix = "\\\\.\\physicaldrive";
  if (drive.size() <= kPrefix.size()) return std::nullopt;
  const std::u16string prefix = AsciiLower(Utf8ToText(drive.substr(0, kPrefix.size())));
  if (TextToUtf8(prefix) != kPrefix) return std::nullopt;
  return DecimalDriveNumber(drive.substr(kPrefix.size()));
}

// The drive number DRIVE stands for, or the exit code of a DRIVE that
// names none.
std::variant<std::uint32_t, ExitCode> DriveNumber(Machine& machine, Console& console, const std::string& drive) {
  if (const auto number = DecimalDriveNumber(drive)) return *number;
  if (const auto number = PhysicalDriveNumber(drive)) return *number;
  if (!drive.starts_with("/")) {
    console.Problem("DRIVE must be a drive number (0 to 255), \\\\.\\PhysicalDriveN or a device path, not '" +
                    drive + "'");
    return kExitUsage;
  }
  if (!machine.driveOfPath) {
    console.Problem("simulated drives have no device paths; name the drive by its number");
    return kExitUsage;
  }
  const DevicePathAnswer answer = machine.driveOfPath(drive);
  if (!answer.driveNumber) {
    console.Problem(answer.whyNot);
    return kExitCannotOpen;
  }
  return *answer.driveNumber;
}

// The catalogue entry of a drive number; 0 when the walk did not enter it.
int CatalogueIndexOf(const Program& program, std::uint32_t number) {
  for (int index = 1; index <= program.DeviceCount; ++index)
    if (program.DeviceTables[static_cast<std::size_t>(index)].DeviceNumber == number) return index;
  return 0;
}

// An erase of the drive the machine runs from would pull the system out
// from under itself; no confirmation can make that what was meant.
std::optional<ExitCode> RefuseSystemDisk(const Program& program, int index, Machine& machine, Console& console) {
  if (!machine.systemUseOf) return std::nullopt;
  const std::uint32_t number = program.DeviceTables[static_cast<std::size_t>(index)].DeviceNumber;
  const std::vector<std::u16string> systemUse = machine.systemUseOf(number);
  if (systemUse.empty()) return std::nullopt;
  std::u16string parts;
  for (const std::u16string& part : systemUse) parts += (parts.empty() ? u"" : u", ") + part;
  console.Problem(TextToUtf8(u"not erasing " + program.os.DriveNamesOf(number).devicePath +
                             u": it holds the running system (" + parts + u"); nothing was written."));
  return kExitRefused;
}

// A drive the walk found but could not open is not "not found": the
// system's reason is told (access denied, above all).
std::string WhyNotFound(Program& program, std::uint32_t number, const std::string& drive) {
  for (const UnopenedDrive& unopened : program.UnopenedDrives) {
    if (unopened.driveNumber != number) continue;
    std::string why = "drive " + drive + " could not be opened: " +
                      TextToUtf8(SystemErrorMessage(program.os, unopened.error));
    if (unopened.error == ERROR_ACCESS_DENIED && !RunsAsAdministrator()) why += "; run orvella-cli as root (sudo)";
    return why;
  }
  return "no drive " + drive + " was found; 'orvella-cli list' shows the drives";
}

std::optional<ExitCode> OpenChosenDrive(DriveRun& run, Console& console, DriveAccess access) {
  Os& os = run.program.os;
  const std::uint32_t share = access == DriveAccess::Exclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
  run.DeviceHandle = os.CreateFileW(run.Entry().DevicePath, GENERIC_READ | GENERIC_WRITE, share, OPEN_EXISTING, 0);
  if (run.IsOpen()) return std::nullopt;
  console.Problem(TextToUtf8(u"Error opening device: " + SystemErrorMessage(os, os.GetLastError())));
  return kExitCannotOpen;
}

}  // namespace

std::optional<ExitCode> SelectDrive(DriveRun& run, Machine& machine, Console& console, const std::string& drive,
                                    DriveAccess access) {
  Program& program = run.program;
  const std::variant<std::uint32_t, ExitCode> number = DriveNumber(machine, console, drive);
  if (const ExitCode* failure = std::get_if<ExitCode>(&number)) return *failure;

  EnumerateDevices(program);
  const int index = CatalogueIndexOf(program, std::get<std::uint32_t>(number));
  if (index == 0) {
    console.Problem(WhyNotFound(program, std::get<std::uint32_t>(number), drive));
    return kExitCannotOpen;
  }
  // Only the erase needs a drive of the size the desktop lets one choose;
  // reading what a small drive reports harms nothing.
  if (access == DriveAccess::Exclusive &&
      program.DeviceTables[static_cast<std::size_t>(index)].IdentifyData.LBA < kSmallestChoosableLba) {
    console.Problem("Cannot access this device: This device cannot be accessed because it is smaller than "
                    "65535 sectors.");
    return kExitRefused;
  }
  if (access == DriveAccess::Exclusive)
    if (const auto refusal = RefuseSystemDisk(program, index, machine, console)) return refusal;
  run.SelectedDevice = index;
  run.DeviceTitle = GetDeviceTitle(program.DeviceTables, index, program.locale.DecimalSeparator());
  return OpenChosenDrive(run, console, access);
}

}  // namespace orvella::cli
