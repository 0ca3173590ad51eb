// One opened drive and everything that belongs to it while the program works
// on it: its catalogue entry and title, its handle, the stop request of the
// action running on it, the volumes locked for an erase, and the format log
// lines written about it. The catalogue and the surroundings stay in
// Program; a drive run only points at them, so that several drives can be
// opened, erased and stopped side by side in one process, each with its own
// run.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/program.h"
#include "device/device_records.h"
#include "platform/os.h"

namespace orvella {

class DriveRun {
 public:
  // Where each stamped line goes besides the run's own list.
  using LogEcho = std::function<void(const std::u16string& line)>;

  // A run on no drive yet: SelectedDevice -1, nothing open. Its lines are
  // echoed into the program's format log pane.
  explicit DriveRun(Program& program);
  // Closes the drive if it is still open.
  ~DriveRun();
  DriveRun(const DriveRun&) = delete;
  DriveRun& operator=(const DriveRun&) = delete;

  Program& program;

  // The chosen catalogue entry, 1 to DeviceCount; -1 before a choice.
  std::int64_t SelectedDevice = -1;
  std::u16string DeviceTitle;
  // The drive, opened by whoever chose it; INVALID_HANDLE_VALUE while it is
  // not open. Close it only through Close().
  Handle DeviceHandle = INVALID_HANDLE_VALUE;
  // Set by a Stop button (or an interrupt); the running action reads it
  // between passes and clears it when it ends.
  bool StopRequested = false;
  // The volume handles held by the erase in progress (volume_locking.h).
  std::vector<Handle> LockedVolumes;

  // The catalogue entry of SelectedDevice; only valid once it is chosen.
  const TDeviceTable& Entry() const;
  bool IsOpen() const { return DeviceHandle != INVALID_HANDLE_VALUE; }
  // Closes DeviceHandle once; later calls do nothing.
  void Close();

  // The format log lines written about this drive since the last
  // StartLog(), stamped as they were shown.
  const std::vector<std::u16string>& LogLines() const { return log_; }
  void StartLog() { log_.clear(); }
  // Keeps a line and echoes it.
  void KeepLine(const std::u16string& line);
  void SetLogEcho(LogEcho echo) { echo_ = std::move(echo); }

 private:
  std::vector<std::u16string> log_;
  LogEcho echo_;
};

// Stamp + three blanks + Text into the run's format log, always.
void AddFormatLog(DriveRun& run, const std::u16string& text);
// Text into the run's format log as it stands, without a stamp.
void AddFormatLogUnstamped(DriveRun& run, const std::u16string& text);

}  // namespace orvella
