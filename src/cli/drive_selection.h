// Choosing the drive a command works on, as the selection window and the
// main window do it: the walk over the drives, the entry DRIVE names, the
// refusal of drives under 65535 sectors, and the opening of the drive into
// a drive run's DeviceHandle with its title in DeviceTitle.
#pragma once

#include <optional>
#include <string>

#include "cli/console.h"
#include "cli/exit_codes.h"
#include "cli/machine.h"
#include "device/drive_run.h"

namespace orvella::cli {

// Erasing takes the drive for itself, as the desktop program does; the
// reports only read and leave it to others as well.
enum class DriveAccess { Shared, Exclusive };

// Walks the drives and makes the one DRIVE names the run's drive, open
// through its DeviceHandle. Nothing on success; otherwise the message has
// been written and the exit code is returned.
std::optional<ExitCode> SelectDrive(DriveRun& run, Machine& machine, Console& console, const std::string& drive,
                                    DriveAccess access);

}  // namespace orvella::cli
