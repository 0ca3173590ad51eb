#include "cli/station.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "cli/erase_exit_code.h"
#include "cli/erase_lanes.h"
#include "cli/interrupt.h"
#include "cli/station_drives.h"
#include "cli/terminal.h"
#include "core/text.h"

namespace orvella::cli {
namespace {

constexpr auto kWatchInterval = std::chrono::milliseconds(50);
constexpr auto kLookInterval = std::chrono::seconds(1);
constexpr char kConfirmationWords[] = "ERASE NEW DRIVES";

std::string Named(const SeenDrive& drive) {
  return drive.path + (!HasSerial(drive) ? "" : " (serial number " + drive.serial + ")");
}

bool Confirmed(Session& s, std::size_t included) {
  if (s.options.yes) return true;
  if (!IsTerminal(stdin)) {
    s.console.Problem("not erasing: the station must be confirmed, and standard input is not a terminal; add --yes "
                      "to start it without a question.");
    return false;
  }
  s.console.Err("ERASE STATION: every byte on each drive attached from now on" +
                (included == 0 ? std::string() : " and on the " + std::to_string(included) + " named above") +
                " will be destroyed.");
  std::string answer;
  const bool answered = s.console.Ask(
      std::string("Type ") + kConfirmationWords + " to start, anything else cancels: ", answer);
  if (answered && TextToUtf8(Trim(Utf8ToText(answer))) == kConfirmationWords) return true;
  s.console.Err(answered ? "Not confirmed; nothing was written." : "\nNot confirmed; nothing was written.");
  return false;
}

// The erases of the station: the lanes, their rows, and what is told of
// each once it has ended.
class Station {
 public:
  Station(Session& s, SparedSerials spared) : s_(s), spared_(std::move(spared)), board_(s.console, {}) {}

  void Run(Lanes included, KnownDrives& known);
  ExitCode End();

 private:
  void Start(std::unique_ptr<Lane> lane);
  void LookForNewDrives(KnownDrives& known);
  void Take(const SeenDrive& drive);
  void TellFinished();
  bool AllDone() const {
    return std::all_of(lanes_.begin(), lanes_.end(), [](const auto& lane) { return lane->done.load(); });
  }

  Session& s_;
  const SparedSerials spared_;
  Lanes lanes_;
  DriveBoard board_;
  std::atomic<bool> stop_ = false;
  std::vector<bool> told_;  // by lane: its ending has been told and its record written
  std::vector<ExitCode> codes_;
};

void Station::Start(std::unique_ptr<Lane> lane) {
  const std::size_t row = board_.AddRow(BoardRowOf(*lane));
  StartLane(s_.options, *lane, board_, row, stop_);
  lanes_.push_back(std::move(lane));
  told_.push_back(false);
}

// A new drive is claimed by its device path and must still report the
// serial number it was seen with: another disk may have taken the path.
void Station::Take(const SeenDrive& drive) {
  if (const auto why = WhyLeftAlone(drive, spared_)) {
    s_.console.Log("Leaving alone the new drive " + Named(drive) + ": " + *why + ".");
    return;
  }
  s_.console.Log("New drive " + Named(drive) + ": erasing it.");
  auto claimed = ClaimDrive(s_, drive.path, drive.serial);
  if (const ExitCode* failure = std::get_if<ExitCode>(&claimed)) {
    s_.console.Log("The new drive " + Named(drive) + " was not erased (exit status " + std::to_string(*failure) +
                   ").");
    codes_.push_back(*failure);
    return;
  }
  Start(std::move(std::get<std::unique_ptr<Lane>>(claimed)));
}

void Station::LookForNewDrives(KnownDrives& known) {
  const auto look = LookAtDrives(s_);
  if (!look) return;
  for (const SeenDrive& drive : known.NewDrives(*look)) Take(drive);
}

void Station::TellFinished() {
  for (std::size_t row = 0; row < lanes_.size(); ++row) {
    Lane& lane = *lanes_[row];
    if (told_[row] || !lane.done) continue;
    told_[row] = true;
    lane.thread.join();
    codes_.push_back(lane.exit);
    const bool written = WriteRecordFile(s_, lane);
    if (!written) codes_.push_back(kExitFailed);
    board_.LogLine(row, "finished: " + ResultOf(lane) + ", exit status " + std::to_string(lane.exit) +
                            (written ? "" : "; its record was NOT written"));
  }
}

// Looks for new drives every second until Ctrl+C; then waits for the runs
// in progress, which stop after their block in progress.
void Station::Run(Lanes included, KnownDrives& known) {
  InterruptWatch interrupts;
  for (auto& lane : included) Start(std::move(lane));
  s_.console.Log("Waiting for drives to be attached; Ctrl+C ends the station.");
  auto nextLook = std::chrono::steady_clock::now() + kLookInterval;
  while (!stop_ || !AllDone()) {
    std::this_thread::sleep_for(kWatchInterval);
    if (interrupts.TakeInterrupt() && !stop_) {
      stop_ = true;
      s_.console.Err("Stopping every drive after the block in progress...");
    }
    if (!stop_ && std::chrono::steady_clock::now() >= nextLook) {
      LookForNewDrives(known);
      nextLook = std::chrono::steady_clock::now() + kLookInterval;
    }
    TellFinished();
    board_.Redraw();
  }
  TellFinished();
  board_.End();
}

ExitCode Station::End() {
  if (lanes_.empty())
    s_.console.Log("No drive was erased.");
  else
    PrintSummary(s_, lanes_);
  return WorstExitCode(codes_);
}

// The drive of the record folder is never erased, not even when named:
// the records of the erases would go with it.
std::optional<ExitCode> RefuseRecordDrive(Session& s, const Lanes& included, const std::vector<SeenDrive>& look) {
  for (const SeenDrive& drive : look)
    for (const auto& lane : included)
      if (drive.holdsRecords && TextToUtf8(DevicePathOf(*lane)) == drive.path) {
        s.console.Problem("not erasing " + drive.path + ": it holds the record folder " + s.options.reportDir +
                          "; nothing was written.");
        return kExitRefused;
      }
  return std::nullopt;
}

SparedSerials SparedSerialsOf(const Options& options, const std::vector<SeenDrive>& look) {
  SparedSerials spared{options.excludeSerials, {}};
  for (const SeenDrive& drive : look)
    if (drive.holdsRecords && HasSerial(drive)) spared.records.push_back(drive.serial);
  return spared;
}

}  // namespace

ExitCode RunStation(Session& s) {
  if (!ReportDirUsable(s)) return kExitFailed;
  KnownDrives known;
  const auto firstLook = LookAtDrives(s);
  if (!firstLook) return kExitFailed;
  auto claimed = ClaimDrives(s);
  if (const ExitCode* failure = std::get_if<ExitCode>(&claimed)) return *failure;
  Lanes& included = std::get<Lanes>(claimed);
  if (const auto refusal = RefuseRecordDrive(s, included, *firstLook)) return *refusal;
  for (const SeenDrive& drive : known.NewDrives(*firstLook)) {
    const bool isIncluded = std::any_of(included.begin(), included.end(), [&drive](const auto& lane) {
      return TextToUtf8(DevicePathOf(*lane)) == drive.path;
    });
    if (!isIncluded) s.console.Err("Attached before the start, left alone: " + Named(drive));
  }
  if (!Confirmed(s, included.size())) return kExitRefused;
  Station station(s, SparedSerialsOf(s.options, *firstLook));
  station.Run(std::move(included), known);
  return station.End();
}

}  // namespace orvella::cli
