#include "cli/commands.h"

#include <array>
#include <filesystem>
#include <optional>

#include "catalogue/enumeration.h"
#include "catalogue/unopened_drives.h"
#include "cli/atomic_file.h"
#include "cli/drive_selection.h"
#include "cli/erase_exit_code.h"
#include "cli/erase_many.h"
#include "cli/erase_steps.h"
#include "cli/interrupt.h"
#include "cli/json_forms.h"
#include "cli/signing_commands.h"
#include "cli/terminal.h"
#include "cli/terminal_format_page.h"
#include "core/display_text.h"
#include "core/log_sinks.h"
#include "core/text.h"
#include "device/erase_facts.h"
#include "format/format_procedure.h"
#include "record/erase_record.h"
#include "record/record_signature.h"
#include "reports/device_details_report.h"
#include "reports/drive_list.h"
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
  console.Out(IndentedJson(value));
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
  const EraseChoices choices = ChoicesOf(s.options);
  InterruptWatch interrupts;
  TerminalFormatPage page(
      s.console, interrupts,
      TerminalChoices{s.options.yes, ConfirmationWordOf(drive.Entry().IdentifyData.SN, drive.Entry().DeviceNumber)},
      drive.program.locale.DecimalSeparator());
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
  // Where the system refuses even an administrator, more rights do not help.
  const bool moreRightsHelp = RightsMissingForEveryDrive(s.program) && !RunsAsAdministrator();
  const char* rights = moreRightsHelp ? " Run orvella-cli as root (sudo) to list them." : "";
  s.console.Problem(TextToUtf8(note) + rights);
}

// What the drive said of its own erases, read through the open handle.
std::vector<MethodChoice> ChosenDriveMethods(DriveRun& drive) {
  return DriveMethods(ReadDriveEraseFacts(drive.program.os, drive.DeviceHandle, drive.Entry()));
}

Json MethodsJson(const std::vector<MethodChoice>& choices) {
  Json methods = Json::array();
  for (const MethodChoice& c : choices)
    methods.push_back({{"method", EraseMethodName(c.method)},
                       {"available", c.available},
                       {"reason", c.available ? Json(nullptr) : Json(TextToUtf8(c.reason))},
                       {"category", CategoryName(c.category)},
                       {"technique", c.technique},
                       {"note", c.note.empty() ? Json(nullptr) : Json(TextToUtf8(c.note))}});
  return methods;
}

std::vector<std::u16string> MethodLines(const std::vector<MethodChoice>& choices) {
  std::vector<std::u16string> lines;
  for (const MethodChoice& c : choices) {
    const std::u16string name = PadRight(Utf8ToText(EraseMethodName(c.method)), 25);
    if (!c.available) {
      lines.push_back(name + u"not available: " + c.reason);
      continue;
    }
    lines.push_back(name + u"available: " + Utf8ToText(CategoryName(c.category)) + u", " + Utf8ToText(c.technique));
    if (!c.note.empty()) lines.push_back(std::u16string(25, u' ') + u"(" + c.note + u")");
  }
  return lines;
}

}  // namespace

ExitCode RunMethods(Session& s) {
  DriveRun drive(s.program);
  if (const auto failure = SelectDrive(drive, s.machine, s.console, s.options.drive, DriveAccess::Shared))
    return *failure;
  const std::vector<MethodChoice> choices = ChosenDriveMethods(drive);
  if (s.options.json) {
    PrintJson(s.console, {{"drive", DriveJson(s.program, static_cast<int>(drive.SelectedDevice))},
                          {"methods", MethodsJson(choices)}});
  } else {
    s.console.Out(TextToUtf8(u"Erase methods of " + drive.DeviceTitle));
    for (const std::u16string& line : MethodLines(choices)) s.console.Out(TextToUtf8(line));
  }
  drive.Close();
  return kExitOk;
}

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
    row[9] = DisplaySafe(s.program.os.DriveNamesOf(entry.DeviceNumber).stableLink);
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
    answer["methods"] = MethodsJson(ChosenDriveMethods(drive));
    PrintJson(s.console, answer);
    outcome = identification.outcome;
  } else {
    outcome = ShowDeviceDetails(drive);
    // After a report that ends with its closing message nothing follows;
    // the methods command still answers for such a drive.
    if (outcome == IdentifyOutcome::Identified) {
      AddDetailsLine(s.program, u" ");
      AddDetailsLine(s.program, u"ERASE METHODS:");
      for (const std::u16string& line : MethodLines(ChosenDriveMethods(drive))) AddDetailsLine(s.program, line);
    }
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
  if (s.options.drives.size() > 1 || !s.options.reportDir.empty()) return RunEraseMany(s);
  DriveRun drive(s.program);
  if (const auto failure = SelectDrive(drive, s.machine, s.console, s.options.drive, DriveAccess::Exclusive))
    return *failure;
  s.console.Err(DriveIdentityLine(drive));
  if (const auto refusal = CheckExpectedSerial(s.console, drive, s.options.expectSerial)) return *refusal;
  if (const auto refusal = CheckMethod(s.console, drive, s.options.method)) return *refusal;
  const std::optional<Ed25519KeyPair> signingKey = SigningKeyFor(s.options, s.console);
  if (!signingKey || !ReportCanBeWritten(s)) return kExitFailed;
  EraseFacts facts = EraseChosenDrive(s, drive);
  facts.exitCode = EraseExitCode(facts.run);
  Json record = EraseRecord(drive, facts);
  if (!signingKey->secretKey.empty()) SignRecord(record, *signingKey);
  drive.Close();

  if (s.options.json) PrintJson(s.console, record);
  if (!WriteReport(s, record)) return kExitFailed;
  return EraseExitCode(facts.run);
}

}  // namespace orvella::cli
