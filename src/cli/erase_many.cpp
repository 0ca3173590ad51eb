#include "cli/erase_many.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>
#include <variant>

#include "cli/atomic_file.h"
#include "cli/drive_board.h"
#include "cli/drive_selection.h"
#include "cli/erase_exit_code.h"
#include "cli/erase_steps.h"
#include "cli/interrupt.h"
#include "cli/lane_page.h"
#include "cli/record_names.h"
#include "cli/terminal.h"
#include "cli/terminal_format_page.h"
#include "core/display_text.h"
#include "core/text.h"
#include "format/format_procedure.h"
#include "record/erase_record.h"
#include "record/record_json.h"

namespace orvella::cli {
namespace {

constexpr auto kWatchInterval = std::chrono::milliseconds(50);

// One drive's erase: a machine of its own (its own handles and last error,
// so that no thread waits on another's device calls), a program that shares
// the clock, locale, panes and halt, and the run.
struct Lane {
  Lane(Session& s, Machine opened, std::string named)
      : given(std::move(named)),
        machine(std::move(opened)),
        program(*machine.os, s.program.clock, s.program.locale, s.program.panes, s.program.halt),
        run(program) {
    program.DebugMode = s.program.DebugMode;
  }

  std::string given;  // DRIVE as the command line names it
  Machine machine;
  Program program;
  DriveRun run;
  EraseFacts facts;
  Json record;
  ExitCode exit = kExitFailed;
  std::atomic<bool> done = false;
  std::thread thread;
};
using Lanes = std::vector<std::unique_ptr<Lane>>;

std::string ExpectedSerialOf(const Options& options, const std::string& given) {
  const auto serial = options.expectSerials.find(given);
  return serial == options.expectSerials.end() ? std::string() : serial->second;
}

// Names, checks and claims one drive; the exit code when it cannot be had.
std::variant<std::unique_ptr<Lane>, ExitCode> ClaimDrive(Session& s, const std::string& given) {
  std::variant<Machine, ExitCode> opened = OpenMachine(s.options, s.console);
  if (const ExitCode* failure = std::get_if<ExitCode>(&opened)) return *failure;
  auto lane = std::make_unique<Lane>(s, std::move(std::get<Machine>(opened)), given);
  if (const auto failure = SelectDrive(lane->run, lane->machine, s.console, given, DriveAccess::Exclusive))
    return *failure;
  s.console.Err(DriveIdentityLine(lane->run));
  if (const auto refusal = CheckExpectedSerial(s.console, lane->run, ExpectedSerialOf(s.options, given)))
    return *refusal;
  return lane;
}

std::u16string DevicePathOf(Lane& lane) {
  return lane.program.os.DriveNamesOf(lane.run.Entry().DeviceNumber).devicePath;
}

std::variant<Lanes, ExitCode> ClaimDrives(Session& s) {
  Lanes lanes;
  for (const std::string& given : s.options.drives) {
    auto claimed = ClaimDrive(s, given);
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

// One question for all the drives: the number of them typed back; for a
// single drive (--report-dir) the word read off it, as a lone erase asks.
bool Confirmed(Session& s, const Lanes& lanes) {
  if (s.options.yes) return true;
  if (!IsTerminal(stdin)) {
    s.console.Problem("not erasing: the erase must be confirmed, and standard input is not a terminal; add --yes "
                      "to erase without a question.");
    return false;
  }
  const std::string count = std::to_string(lanes.size());
  const TDeviceTable& first = lanes.front()->run.Entry();
  const ConfirmationWord word = lanes.size() == 1 ? ConfirmationWordOf(first.IdentifyData.SN, first.DeviceNumber)
                                                  : ConfirmationWord{count, "the number of drives"};
  s.console.Err(lanes.size() == 1
                    ? "ERASE 1 DRIVE: every byte on the drive above will be destroyed."
                    : "ERASE " + count + " DRIVES: every byte on each of the drives above will be destroyed.");
  std::string answer;
  const std::string which = lanes.size() == 1 ? "it" : "them all";
  const bool answered = s.console.Ask(
      "Type " + word.what + " (" + DisplaySafeUtf8(word.word) + ") to erase " + which + ", anything else cancels: ",
      answer);
  if (answered && !word.word.empty() && TextToUtf8(Trim(Utf8ToText(answer))) == word.word) return true;
  s.console.Err(answered ? "Not confirmed; nothing was written." : "\nNot confirmed; nothing was written.");
  return false;
}

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

std::vector<BoardRow> BoardRows(const Lanes& lanes) {
  std::vector<BoardRow> rows;
  for (const auto& lane : lanes) {
    const TDeviceTable& entry = lane->run.Entry();
    BoardRow row;
    row.number = std::to_string(entry.DeviceNumber);
    row.path = TextToUtf8(DevicePathOf(*lane));
    row.serial = TextToUtf8(Trim(entry.IdentifyData.SN));
    rows.push_back(row);
  }
  return rows;
}

// Runs every lane on its own thread and watches them: Ctrl+C raises the
// flag by which each run presses its own Stop; the table is redrawn.
void RunSideBySide(Session& s, Lanes& lanes, DriveBoard& board) {
  InterruptWatch interrupts;
  std::atomic<bool> stop = false;
  for (std::size_t row = 0; row < lanes.size(); ++row)
    lanes[row]->thread =
        std::thread(RunLane, std::cref(s.options), std::ref(*lanes[row]), std::ref(board), row, std::cref(stop));
  for (bool running = true; running;) {
    std::this_thread::sleep_for(kWatchInterval);
    if (interrupts.TakeInterrupt() && !stop) {
      stop = true;
      s.console.Err("Stopping every drive after the block in progress...");
    }
    running = std::any_of(lanes.begin(), lanes.end(), [](const auto& lane) { return !lane->done; });
    board.Redraw();
  }
  for (const auto& lane : lanes) lane->thread.join();
  board.End();
}

// Each record into the report folder under a name of its own.
bool WriteRecords(Session& s, const Lanes& lanes) {
  if (s.options.reportDir.empty()) return true;
  bool written = true;
  for (const auto& lane : lanes) {
    if (lane->record.is_null()) continue;
    const auto failure = CreateRecordFile(s.options.reportDir, lane->record, RecordText(lane->record));
    if (failure) s.console.Problem("the record of " + lane->given + " could not be written: " + *failure);
    written = written && !failure;
  }
  return written;
}

void PrintSummary(Session& s, const Lanes& lanes) {
  std::vector<std::vector<std::string>> cells = {{"DRIVE", "DEVICE PATH", "SERIAL NUMBER", "RESULT", "EXIT"}};
  for (const auto& lane : lanes) {
    const TDeviceTable& entry = lane->run.Entry();
    cells.push_back({std::to_string(entry.DeviceNumber), TextToUtf8(DevicePathOf(*lane)),
                     TextToUtf8(Trim(entry.IdentifyData.SN)), EraseResultName(lane->facts.run),
                     std::to_string(lane->exit)});
  }
  std::string table = DriveBoard::Table(cells);
  table.pop_back();
  s.console.Log(table);
}

}  // namespace

ExitCode RunEraseMany(Session& s) {
  auto claimed = ClaimDrives(s);
  if (const ExitCode* failure = std::get_if<ExitCode>(&claimed)) return *failure;
  Lanes& lanes = std::get<Lanes>(claimed);
  if (!ReportDirUsable(s)) return kExitFailed;
  if (!Confirmed(s, lanes)) return kExitRefused;

  DriveBoard board(s.console, BoardRows(lanes));
  RunSideBySide(s, lanes, board);

  std::vector<ExitCode> codes;
  Json records = Json::array();
  for (const auto& lane : lanes) {
    codes.push_back(lane->exit);
    if (!lane->record.is_null()) records.push_back(lane->record);
  }
  PrintSummary(s, lanes);
  if (s.options.json) s.console.Out(records.dump(2, ' ', false, Json::error_handler_t::replace));
  if (!WriteRecords(s, lanes)) codes.push_back(kExitFailed);
  return WorstExitCode(codes);
}

}  // namespace orvella::cli
