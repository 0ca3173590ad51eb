// The parts of an erase of several drives side by side that the erase of
// named drives and the station share: a lane per drive (its own machine,
// program, run, thread, record and ending), the claim of a drive, the run
// on its thread, the row of the board, the record file and the summary.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "cli/commands.h"
#include "cli/drive_board.h"
#include "record/erase_record.h"

namespace orvella::cli {

// One drive's erase: a machine of its own (its own handles and last error,
// so that no thread waits on another's device calls), a program that shares
// the clock, locale, panes and halt, and the run.
struct Lane {
  Lane(Session& s, Machine opened, std::string named);

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

// Names, checks and claims one drive; the exit code when it cannot be had.
// With `expectedSerial`, a drive with another serial number is refused.
std::variant<std::unique_ptr<Lane>, ExitCode> ClaimDrive(Session& s, const std::string& given,
                                                          const std::string& expectedSerial);

std::u16string DevicePathOf(Lane& lane);

// Claims every drive the command line names (DRIVE, --include), each with
// the serial number --expect-serial gives for it; the first that cannot be
// had, or one named twice, ends the claim.
std::variant<Lanes, ExitCode> ClaimDrives(Session& s);

// Whether records can be written into --report-dir; the message when not.
bool ReportDirUsable(Session& s);

// Starts the lane's erase on its own thread, its figures and log lines to
// `row` of the board; the shared `stop` presses its Stop button.
void StartLane(const Options& options, Lane& lane, DriveBoard& board, std::size_t row, const std::atomic<bool>& stop);

// The lane's row of the board before its run begins.
BoardRow BoardRowOf(Lane& lane);

// Writes the lane's record into --report-dir; false (and a message) when it
// could not be written. Nothing to do without a folder or a record.
bool WriteRecordFile(Session& s, const Lane& lane);

// The closing table: each drive with its result and exit status.
void PrintSummary(Session& s, const Lanes& lanes);

// What a finished lane ended with, in the words of the summary.
std::string ResultOf(const Lane& lane);

}  // namespace orvella::cli
