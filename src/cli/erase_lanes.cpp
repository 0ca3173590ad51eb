#include "cli/erase_lanes.h"

#include <filesystem>

#include "cli/atomic_file.h"
#include "cli/drive_selection.h"
#include "cli/erase_exit_code.h"
#include "cli/erase_steps.h"
#include "cli/lane_page.h"
#include "cli/record_names.h"
#include "core/text.h"
#include "device/device_records.h"
#include "format/format_procedure.h"
#include "record/record_json.h"

namespace orvella::cli {
namespace {

void RunLane(const Options& options, Lane& lane, DriveBoard& board, std::size_t row, const std::atomic<bool>& stop) {
  lane.run.SetLogEcho([&board, row](const std::u16string& line) { board.LogLine(row, TextToUtf8(line)); });
  try {
    LanePage page(board, row, stop);
    FormatProcedure procedure(lane.run, page);
    page.Attach(procedure);
    procedure.FormatDevice(ChoicesOf(options), LanePage::Confirm);
    lane.exit = EraseExitCode(procedure.LastRun());
    lane.facts = EraseFacts{procedure.LastRun(), "orvella-cli", lane.exit};
    if (options.json || !options.reportDir.empty()) lane.record = EraseRecord(lane.run, lane.facts);
  } catch (const std::exception& error) {
    board.LogLine(row, std::string("the erase stopped on an unexpected error: ") + error.what());
    lane.exit = kExitFailed;
  }
  lane.run.Close();
  board.SetPhase(row, "ended");
  lane.done = true;
}

std::string ExpectedSerialOf(const Options& options, const std::string& given) {
  const auto serial = options.expectSerials.find(given);
  return serial == options.expectSerials.end() ? std::string() : serial->second;
}

}  // namespace

Lane::Lane(Session& s, Machine opened, std::string named)
    : given(std::move(named)),
      machine(std::move(opened)),
      program(*machine.os, s.program.clock, s.program.locale, s.program.panes, s.program.halt),
      run(program) {
  program.DebugMode = s.program.DebugMode;
}

std::variant<std::unique_ptr<Lane>, ExitCode> ClaimDrive(Session& s, const std::string& given,
                                                          const std::string& expectedSerial) {
  std::variant<Machine, ExitCode> opened = OpenMachine(s.options, s.console);
  if (const ExitCode* failure = std::get_if<ExitCode>(&opened)) return *failure;
  auto lane = std::make_unique<Lane>(s, std::move(std::get<Machine>(opened)), given);
  if (const auto failure = SelectDrive(lane->run, lane->machine, s.console, given, DriveAccess::Exclusive))
    return *failure;
  s.console.Err(DriveIdentityLine(lane->run));
  if (const auto refusal = CheckExpectedSerial(s.console, lane->run, expectedSerial)) return *refusal;
  if (const auto refusal = CheckMethod(s.console, lane->run, s.options.method)) return *refusal;
  return lane;
}

std::u16string DevicePathOf(Lane& lane) {
  return lane.program.os.DriveNamesOf(lane.run.Entry().DeviceNumber).devicePath;
}

std::variant<Lanes, ExitCode> ClaimDrives(Session& s) {
  Lanes lanes;
  for (const std::string& given : s.options.drives) {
    auto claimed = ClaimDrive(s, given, ExpectedSerialOf(s.options, given));
    if (const ExitCode* failure = std::get_if<ExitCode>(&claimed)) return *failure;
    auto& lane = std::get<std::unique_ptr<Lane>>(claimed);
    // Each lane numbers the drives in its own walk, and a drive attached
    // meanwhile moves the numbers: the device path is what names the same drive.
    for (const auto& earlier : lanes)
      if (DevicePathOf(*earlier) == DevicePathOf(*lane)) {
        s.console.Problem(earlier->given + " and " + given + " are the same drive; nothing was written.");
        return kExitUsage;
      }
    lanes.push_back(std::move(lane));
  }
  return lanes;
}


bool ReportDirUsable(Session& s) {
  if (s.options.reportDir.empty()) return true;
  const auto whyNot = WhyNotReplaceable((std::filesystem::path(s.options.reportDir) / "record.json").string());
  if (!whyNot) return true;
  s.console.Problem("cannot write records into " + s.options.reportDir + ": " + *whyNot + "; nothing was erased");
  return false;
}

void StartLane(const Options& options, Lane& lane, DriveBoard& board, std::size_t row, const std::atomic<bool>& stop) {
  lane.thread = std::thread(RunLane, std::cref(options), std::ref(lane), std::ref(board), row, std::cref(stop));
}

BoardRow BoardRowOf(Lane& lane) {
  const TDeviceTable& entry = lane.run.Entry();
  BoardRow row;
  row.number = std::to_string(entry.DeviceNumber);
  row.path = TextToUtf8(DevicePathOf(lane));
  // A drive without a serial number says so, rather than showing the
  // catalogue's placeholder as if it were one.
  const std::u16string serial = ReportedSerial(entry.IdentifyData);
  row.serial = serial.empty() ? "(none)" : TextToUtf8(serial);
  return row;
}

bool WriteRecordFile(Session& s, const Lane& lane) {
  if (s.options.reportDir.empty() || lane.record.is_null()) return true;
  const auto failure = CreateRecordFile(s.options.reportDir, lane.record, RecordText(lane.record));
  if (failure) s.console.Problem("the record of " + lane.given + " could not be written: " + *failure);
  return !failure;
}

std::string ResultOf(const Lane& lane) { return EraseResultName(lane.facts.run); }

void PrintSummary(Session& s, const Lanes& lanes) {
  std::vector<std::vector<std::string>> cells = {{"DRIVE", "DEVICE PATH", "SERIAL NUMBER", "RESULT", "EXIT"}};
  for (const auto& lane : lanes) {
    const BoardRow row = BoardRowOf(*lane);
    cells.push_back({row.number, row.path, row.serial, ResultOf(*lane), std::to_string(lane->exit)});
  }
  std::string table = DriveBoard::Table(cells);
  table.pop_back();
  s.console.Log(table);
}

}  // namespace orvella::cli
