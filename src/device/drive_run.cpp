#include "device/drive_run.h"

#include "core/log_sinks.h"

namespace orvella {

DriveRun::DriveRun(Program& program)
    : program(program), echo_([&program](const std::u16string& line) { program.panes.AppendFormatLog(line); }) {}

DriveRun::~DriveRun() { Close(); }

const TDeviceTable& DriveRun::Entry() const {
  return program.DeviceTables.at(static_cast<std::size_t>(SelectedDevice));
}

void DriveRun::Close() {
  if (!IsOpen()) return;
  program.os.CloseHandle(DeviceHandle);
  DeviceHandle = INVALID_HANDLE_VALUE;
}

void DriveRun::KeepLine(const std::u16string& line) {
  log_.push_back(line);
  if (echo_) echo_(line);
}

void AddFormatLog(DriveRun& run, const std::u16string& text) { run.KeepLine(StampedLine(run.program, text)); }

void AddFormatLogUnstamped(DriveRun& run, const std::u16string& text) { run.KeepLine(text); }

}  // namespace orvella
