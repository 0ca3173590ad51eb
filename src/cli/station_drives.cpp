#include "cli/station_drives.h"

#include <algorithm>

#include "catalogue/enumeration.h"
#include "core/text.h"
#include "device/device_records.h"

namespace orvella::cli {
namespace {

// No trimmed serial number holds a line break.
constexpr char kAnySerial[] = "\n";

}  // namespace

std::optional<std::vector<SeenDrive>> LookAtDrives(Session& s) {
  std::variant<Machine, ExitCode> opened = OpenMachine(s.options, s.console);
  if (std::holds_alternative<ExitCode>(opened)) return std::nullopt;
  Machine& machine = std::get<Machine>(opened);
  Program program(*machine.os, s.program.clock, s.program.locale, s.program.panes, s.program.halt);
  EnumerateDevices(program);
  const std::optional<std::uint32_t> recordDrive =
      machine.driveOfFile ? machine.driveOfFile(s.options.reportDir) : std::nullopt;
  std::vector<SeenDrive> look;
  for (int index = 1; index <= program.DeviceCount; ++index) {
    const TDeviceTable& entry = program.DeviceTables[static_cast<std::size_t>(index)];
    SeenDrive drive;
    drive.path = TextToUtf8(program.os.DriveNamesOf(entry.DeviceNumber).devicePath);
    drive.serial = TextToUtf8(ReportedSerial(entry.IdentifyData));
    drive.holdsRecords = recordDrive == entry.DeviceNumber;
    if (machine.systemUseOf)
      for (const std::u16string& part : machine.systemUseOf(entry.DeviceNumber)) drive.systemUse.push_back(TextToUtf8(part));
    look.push_back(drive);
  }
  for (const UnopenedDrive& unopened : program.UnopenedDrives)
    look.push_back(SeenDrive{TextToUtf8(program.os.DriveNamesOf(unopened.driveNumber).devicePath), {}, {}, false});
  return look;
}

std::vector<SeenDrive> KnownDrives::NewDrives(const std::vector<SeenDrive>& look) {
  std::erase_if(serialsByPath_, [&look](const auto& known) {
    return std::none_of(look.begin(), look.end(), [&known](const SeenDrive& d) { return d.path == known.first; });
  });
  std::vector<SeenDrive> fresh;
  for (const SeenDrive& drive : look) {
    auto& serials = serialsByPath_[drive.path];
    // A drive that could not be read at the start was there at the start,
    // whatever serial number it reports later. Later an unreadable drive
    // (held by an erase, not ready yet) keeps its path known, and is taken
    // once it can be read and shows a serial number not seen at that path.
    if (!drive.opened) {
      if (serials.empty() && !started_) serials.insert(kAnySerial);
      continue;
    }
    if (!serials.contains(kAnySerial) && serials.insert(drive.serial).second) fresh.push_back(drive);
  }
  started_ = true;
  return fresh;
}

bool HasSerial(const SeenDrive& drive) { return !drive.serial.empty(); }

std::optional<std::string> WhyLeftAlone(const SeenDrive& drive, const SparedSerials& spared) {
  if (!drive.systemUse.empty()) {
    std::string parts;
    for (const std::string& part : drive.systemUse) parts += (parts.empty() ? "" : ", ") + part;
    return "it holds the running system (" + parts + ")";
  }
  const auto among = [&drive](const std::vector<std::string>& serials) {
    return std::find(serials.begin(), serials.end(), drive.serial) != serials.end();
  };
  if (drive.holdsRecords || (HasSerial(drive) && among(spared.records))) return "it holds the record folder";
  if (!HasSerial(drive)) return "it reports no serial number to name it by";
  if (among(spared.excluded)) return "its serial number is excluded";
  return std::nullopt;
}

}  // namespace orvella::cli
