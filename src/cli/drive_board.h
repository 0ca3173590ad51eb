// The overview of an erase of several drives: one row per drive (number,
// device path, serial number, phase, percent, speed, time left, errors).
// On a terminal it is a table redrawn in place below the log; otherwise a
// row is written as a plain line, prefixed with its drive, at every tenth
// of its pass. The runs update it from their own threads; rows may be added
// while they do.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "cli/console.h"

namespace orvella::cli {

struct BoardRow {
  std::string number;
  std::string path;
  std::string serial;
  std::string phase = "waiting";  // writing, reading back, done
  std::string percent;            // "37%"
  std::string speed;              // as the run's speed caption shows it
  std::string timeLeft;           // "12:05"; empty without an estimate
  std::uint64_t errors = 0;       // error lines in the drive's log so far
};

class DriveBoard {
 public:
  DriveBoard(Console& console, std::vector<BoardRow> rows);

  // A drive that joins the erases after they began (the station); its row.
  std::size_t AddRow(BoardRow row);

  // "[number path] " in front of a drive's own lines.
  std::string Prefix(std::size_t row) const;
  // A log line of a drive's run.
  void LogLine(std::size_t row, const std::string& line);
  // The run's figures after a block: phase, percent (0 to 100), speed and
  // time left.
  void ShowFigures(std::size_t row, const std::string& phase, int percent, const std::string& speed,
                   std::optional<std::int64_t> secondsLeft);
  void SetPhase(std::size_t row, const std::string& phase);
  // Redraws the table on a terminal, at most a few times a second.
  void Redraw();
  // Takes the live table away for good.
  void End();

  // The table as text, a header line first (also the summary's layout).
  static std::string Table(const std::vector<std::vector<std::string>>& rows);

 private:
  std::string LiveTable() const;

  Console& console_;
  mutable std::mutex mutex_;
  std::vector<BoardRow> rows_;
  std::vector<int> shownTenth_;  // plain lines: the last tenth written per row
  std::chrono::steady_clock::time_point drawnAt_{};
};

}  // namespace orvella::cli
