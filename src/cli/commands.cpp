#include "cli/commands.h"

#include <array>
#include <filesystem>
#include <optional>

#include "app/drive_choose.h"
#include "catalogue/enumeration.h"
#include "catalogue/unopened_drives.h"
#include "cli/atomic_file.h"
#include "cli/drive_selection.h"
#include "cli/erase_exit_code.h"
#include "cli/interrupt.h"
#include "cli/json_forms.h"
#include "cli/terminal_format_page.h"
#include "core/text.h"
#include "format/format_procedure.h"
#include "record/erase_record.h"
#include "reports/device_details_report.h"
#include "reports/nvme_health_report.h"
#include "reports/smart_report.h"
#include "reports/text_forms.h"

namespace orvella::cli {
namespace {

using Row = std::array<std::u16string, 10>;

// The columns of the selection window, then the stable link a script
// checks before it erases.
constexpr std::array<const char16_t*, 10> kListHeader = {
    u"DRIVE", u"BUS",         u"MODEL", u"FIRMWARE", u"SERIAL NUMBER", u"LBA",
    u"CAPACITY", u"DEVICE PATH", u"STATE", u"STABLE LINK"};

void PrintTable(Console& console, const std::vector<Row>& rows) {
  std::array<std::size_t, 10> widths{};
  for (const Row& row : rows)
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  for (const Row& row : rows) {
    std::u16string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      const bool last = c + 1 == row.size();
      line += last ? row[c] : PadRight(row[c], static_cast<std::uint16_t>(widths[c] + 2));
    }
    while (!line.empty() && line.back() == u' ') line.pop_back();
    console.Out(TextToUtf8(line));
  }
}

void PrintJson(Console& console, const Json& value) {
  console.Out(value.dump(2, ' ', false, Json::error_handler_t::replace));
}

// Which disk is about to be erased, in every name it goes by, before
// anything is asked or written.
std::string DriveIdentityLine(DriveRun& run) {
  const TDeviceTable& entry = run.Entry();
  const DriveNames names = run.program.os.DriveNamesOf(entry.DeviceNumber);
  const DriveRow cells = DriveListRow(run.program, static_cast<int>(run.SelectedDevice));
  std::u16string line = u"Drive " + UIntToStr(entry.DeviceNumber) + u": " + names.devicePath;
  if (!names.stableLink.empty()) line += u" (" + names.stableLink + u")";
  line += u", model \"" + cells[1] + u"\", serial \"" + Trim(entry.IdentifyData.SN) + u"\", " + cells[5] + u" (" +
          IntToGroupedStr(entry.IdentifyData.LBA) + u" sectors)";
  return TextToUtf8(line);
}

// The disk the running system lives on is never erased from here, whatever
// --yes says: the erase would pull the floor from under the machine.
std::optional<ExitCode> RefuseTheRunningSystem(Session& s, const DriveRun& drive) {
  const DriveNames names = s.program.os.DriveNamesOf(drive.Entry().DeviceNumber);
  if (!HoldsRunningSystem(names)) return std::nullopt;
  std::u16string places;
  for (const Unmount& fileSystem : names.fileSystems) places += (places.empty() ? u"" : u", ") + fileSystem.mountPoint;
  s.console.Problem("not erasing: this drive holds the running system (file systems mounted from it: " +
                    TextToUtf8(places) + "); nothing was written.");
  return kExitRefused;
}

// --expect-serial: the one name of a drive that no attached or detached
// disk can move onto another.
std::optional<ExitCode> CheckExpectedSerial(Session& s, const DriveRun& drive) {
  if (s.options.expectSerial.empty()) return std::nullopt;
  const std::string serial = TextToUtf8(Trim(drive.Entry().IdentifyData.SN));
  if (serial == TextToUtf8(Trim(Utf8ToText(s.options.expectSerial)))) return std::nullopt;
  s.console.Problem("not erasing: the drive's serial number is '" + serial + "', not '" + s.options.expectSerial +
                    "'; nothing was written.");
  return kExitRefused;
}

// Asked before the erase, so that a report that cannot be written stops
// the erase before it begins. An existing file is kept unless --force says
// it may go: it may be the record of another drive.
bool ReportCanBeWritten(Session& s) {
  if (s.options.reportFile.empty()) return true;
  if (const auto whyNot = WhyNotReplaceable(s.options.reportFile)) {
    s.console.Problem("cannot write the report file " + s.options.reportFile + ": " + *whyNot +
                      "; nothing was erased");
    return false;
  }
  std::error_code error;
  const auto type = std::filesystem::symlink_status(s.options.reportFile, error).type();
  if (s.options.force || type == std::filesystem::file_type::not_found || type == std::filesystem::file_type::none)
    return true;
  s.console.Problem("the report file " + s.options.reportFile +
                    " exists already; give another name, or --force to replace it; nothing was erased");
  return false;
}

// Replaces an earlier report only with the whole new record.
bool WriteReport(Session& s, const Json& record) {
  if (s.options.reportFile.empty()) return true;
  const auto failure = ReplaceFile(s.options.reportFile, RecordText(record));
  if (!failure) return true;
  s.console.Problem("the report file " + s.options.reportFile + " could not be written: " + *failure);
  return false;
}

// The format procedure on the chosen drive, as "FORMAT THIS DEVICE" runs
// it, with Ctrl+C as its Stop button; and what the record tells of it.
EraseFacts EraseChosenDrive(Session& s, DriveRun& drive) {
  EraseChoices choices;
  choices.quickWipe = s.options.quick;
  choices.verify = s.options.verify;
  choices.operatorName = s.options.operatorName;
  choices.assetTag = s.options.assetTag;
  InterruptWatch interrupts;
  TerminalFormatPage page(
      s.console, interrupts,
      TerminalChoices{s.options.yes, ConfirmationWordOf(drive.Entry().IdentifyData.SN, drive.Entry().DeviceNumber)});
  FormatProcedure procedure(drive, page);
  page.Attach(procedure);
  procedure.FormatDevice(choices, [&page](const EraseQuestion& question) { return page.Confirm(question); });
  EraseFacts facts{procedure.LastRun(), "orvella-cli", std::nullopt};
  // A run that was not confirmed never asked the drive; its record still
  // names the drive as IDENTIFY does, where a record is wanted at all.
  if (facts.run.outcome == FormatOutcome::NotConfirmed && (s.options.json || !s.options.reportFile.empty()))
    facts.run.identification = IdentifyChosenDevice(drive);
  return facts;
}

// The S.M.A.R.T. answer: an NVMe drive's health log, or an ATA drive's
// attributes with their thresholds and the drive's verdict.
Json SmartJson(Session& s, DriveRun& drive) {
  Json answer = {{"drive", DriveJson(s.program, static_cast<int>(drive.SelectedDevice))}};
  if (drive.Entry().IdentifyData.BusType == BusTypeNvme) {
    const auto log = ReadNvmeHealth(drive);
    answer["supported"] = log.has_value();
    answer["nvme"] = log ? NvmeHealthJson(*log) : Json(nullptr);
    return answer;
  }
  const auto reading = ReadSmartAttributes(drive);
  Json attributes = Json::array();
  if (reading)
    for (const SmartAttributeRow& row : reading->rows) attributes.push_back(AttributeJson(row));
  answer["supported"] = reading.has_value();
  answer["attributes"] = attributes;
  answer["health"] = reading ? SmartHealthJson(*reading) : Json(nullptr);
  return answer;
}

// One line on stderr for the drives that are there but could not be opened,
// so that a list left short for want of rights says so.
void NoteUnopenedDrives(Session& s) {
  const std::u16string note = UnopenedDrivesNote(s.program);
  if (note.empty()) return;
  const char* rights = RightsMissingForEveryDrive(s.program) ? " Run orvella-cli as root (sudo) to list them." : "";
  s.console.Problem(TextToUtf8(note) + rights);
}

}  // namespace

ExitCode RunList(Session& s) {
  EnumerateDevices(s.program);
  NoteUnopenedDrives(s);
  if (s.options.json) {
    PrintJson(s.console, CatalogueJson(s.program));
    return kExitOk;
  }
  std::vector<Row> rows = {Row{}};
  std::copy(kListHeader.begin(), kListHeader.end(), rows[0].begin());
  for (int index = 1; index <= s.program.DeviceCount; ++index) {
    const TDeviceTable& entry = s.program.DeviceTables[static_cast<std::size_t>(index)];
    const auto cells = DriveListCells(DriveListLineOf(s.program, index));
    Row row;
    std::copy(cells.begin(), cells.end(), row.begin());
    row[9] = s.program.os.DriveNamesOf(entry.DeviceNumber).stableLink;
    rows.push_back(row);
  }
  PrintTable(s.console, rows);
  s.console.Out("Disks found: " + std::to_string(s.program.DeviceCount));
  return kExitOk;
}

ExitCode RunDetails(Session& s) {
  DriveRun drive(s.program);
  if (const auto failure = SelectDrive(drive, s.machine, s.console, s.options.drive, DriveAccess::Shared))
    return *failure;
  IdentifyOutcome outcome;
  if (s.options.json) {
    const DeviceIdentification identification = IdentifyChosenDevice(drive);
    Json answer = {{"drive", DriveJson(s.program, static_cast<int>(drive.SelectedDevice))}};
    answer.update(IdentificationJson(identification));
    PrintJson(s.console, answer);
    outcome = identification.outcome;
  } else {
    outcome = ShowDeviceDetails(drive);
  }
  drive.Close();
  return outcome == IdentifyOutcome::Identified ? kExitOk : kExitNoAnswer;
}

ExitCode RunSmart(Session& s) {
  DriveRun drive(s.program);
  if (const auto failure = SelectDrive(drive, s.machine, s.console, s.options.drive, DriveAccess::Shared))
    return *failure;
  bool answered;
  if (s.options.json) {
    const Json answer = SmartJson(s, drive);
    PrintJson(s.console, answer);
    answered = answer["supported"].get<bool>();
  } else {
    answered = ShowSmartReport(drive);
  }
  drive.Close();
  return answered ? kExitOk : kExitNoAnswer;
}

ExitCode RunErase(Session& s) {
  DriveRun drive(s.program);
  if (const auto failure = SelectDrive(drive, s.machine, s.console, s.options.drive, DriveAccess::Exclusive))
    return *failure;
  s.console.Err(DriveIdentityLine(drive));
  if (const auto refusal = RefuseTheRunningSystem(s, drive)) return *refusal;
  if (const auto refusal = CheckExpectedSerial(s, drive)) return *refusal;
  if (!ReportCanBeWritten(s)) return kExitFailed;
  EraseFacts facts = EraseChosenDrive(s, drive);
  facts.exitCode = EraseExitCode(facts.run);
  const Json record = EraseRecord(drive, facts);
  drive.Close();

  if (s.options.json) PrintJson(s.console, record);
  if (!WriteReport(s, record)) return kExitFailed;
  return EraseExitCode(facts.run);
}

}  // namespace orvella::cli
