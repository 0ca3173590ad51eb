#include "cli/erase_many.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <variant>

#include "cli/drive_board.h"
#include "cli/erase_exit_code.h"
#include "cli/erase_lanes.h"
#include "cli/erase_steps.h"
#include "cli/interrupt.h"
#include "cli/terminal.h"
#include "cli/terminal_format_page.h"
#include "core/display_text.h"
#include "core/text.h"

namespace orvella::cli {
namespace {

constexpr auto kWatchInterval = std::chrono::milliseconds(50);

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

// Runs every lane on its own thread and watches them: Ctrl+C raises the
// flag by which each run presses its own Stop; the table is redrawn.
void RunSideBySide(Session& s, Lanes& lanes, DriveBoard& board) {
  InterruptWatch interrupts;
  std::atomic<bool> stop = false;
  for (std::size_t row = 0; row < lanes.size(); ++row)
    StartLane(s.options, *lanes[row], board, row, stop);
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
  bool written = true;
  for (const auto& lane : lanes) written = WriteRecordFile(s, *lane) && written;
  return written;
}

std::vector<BoardRow> BoardRows(const Lanes& lanes) {
  std::vector<BoardRow> rows;
  for (const auto& lane : lanes) rows.push_back(BoardRowOf(*lane));
  return rows;
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
