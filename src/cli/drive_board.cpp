#include "cli/drive_board.h"

#include <algorithm>

namespace orvella::cli {
namespace {

constexpr auto kRedraw = std::chrono::milliseconds(250);

std::string TimeText(std::int64_t seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  return text;
}

bool IsErrorLine(const std::string& line) {
  std::string lower(line);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return lower.find("error") != std::string::npos;
}

}  // namespace

DriveBoard::DriveBoard(Console& console, std::vector<BoardRow> rows)
    : console_(console), rows_(std::move(rows)), shownTenth_(rows_.size(), -1) {}

std::size_t DriveBoard::AddRow(BoardRow row) {
  const std::lock_guard lock(mutex_);
  rows_.push_back(std::move(row));
  shownTenth_.push_back(-1);
  return rows_.size() - 1;
}

std::string DriveBoard::Prefix(std::size_t row) const {
  const std::lock_guard lock(mutex_);
  return "[" + rows_[row].number + " " + rows_[row].path + "] ";
}

void DriveBoard::LogLine(std::size_t row, const std::string& line) {
  {
    const std::lock_guard lock(mutex_);
    if (IsErrorLine(line)) ++rows_[row].errors;
  }
  console_.Log(Prefix(row) + line);
}

void DriveBoard::ShowFigures(std::size_t row, const std::string& phase, int percent, const std::string& speed,
                             std::optional<std::int64_t> secondsLeft) {
  std::string plain;
  {
    const std::lock_guard lock(mutex_);
    BoardRow& r = rows_[row];
    if (r.phase != phase) shownTenth_[row] = -1;
    r.phase = phase;
    r.percent = std::to_string(percent) + "%";
    r.speed = speed;
    r.timeLeft = secondsLeft ? TimeText(*secondsLeft) : "";
    if (!console_.LogIsTerminal() && percent / 10 != shownTenth_[row]) {
      shownTenth_[row] = percent / 10;
      plain = r.phase + " " + r.percent + (r.speed.empty() ? "" : ", " + r.speed) +
              (r.timeLeft.empty() ? "" : ", " + r.timeLeft + " left");
    }
  }
  if (!plain.empty()) console_.Log(Prefix(row) + plain);
}

void DriveBoard::SetPhase(std::size_t row, const std::string& phase) {
  const std::lock_guard lock(mutex_);
  rows_[row].phase = phase;
}

void DriveBoard::Redraw() {
  if (!console_.LogIsTerminal()) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - drawnAt_ < kRedraw) return;
  drawnAt_ = now;
  console_.Progress(LiveTable());
}

void DriveBoard::End() { console_.EndProgress(); }

std::string DriveBoard::LiveTable() const {
  std::vector<std::vector<std::string>> cells = {
      {"DRIVE", "DEVICE PATH", "SERIAL NUMBER", "PHASE", "DONE", "SPEED", "TIME LEFT", "ERRORS"}};
  const std::lock_guard lock(mutex_);
  for (const BoardRow& r : rows_)
    cells.push_back({r.number, r.path, r.serial, r.phase, r.percent, r.speed, r.timeLeft, std::to_string(r.errors)});
  std::string table = Table(cells);
  table.pop_back();  // the live lines end without a line break
  return table;
}

std::string DriveBoard::Table(const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::size_t> widths;
  for (const auto& row : rows) {
    widths.resize(std::max(widths.size(), row.size()));
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  std::string table;
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c)
      line += c + 1 == row.size() ? row[c] : row[c] + std::string(widths[c] + 2 - row[c].size(), ' ');
    while (!line.empty() && line.back() == ' ') line.pop_back();
    table += line + "\n";
  }
  return table;
}

}  // namespace orvella::cli
