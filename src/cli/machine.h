// The drives orvella-cli works on: the machine's own, or simulated ones
// (the built-in demo set, or a drive description file) that take real time
// to write, as the demo shows them.
#pragma once

#include <functional>
#include <memory>
#include <variant>

#include "cli/cli_options.h"
#include "cli/console.h"
#include "cli/exit_codes.h"
#include "cli/real_drives.h"
#include "platform/os.h"

namespace orvella::cli {

struct Machine {
  std::unique_ptr<Os> os;
  // How a device path names a drive; empty for simulated drives, which go
  // by number only.
  std::function<DevicePathAnswer(const std::string& path)> driveOfPath;
  // Which parts of the running system a drive holds; empty where the
  // backend cannot tell (Windows, for now).
  SystemUseQuery systemUseOf;
  // Which drive holds a file; empty for simulated drives and where the
  // backend cannot tell.
  FileDriveQuery driveOfFile;
};

// The drives the options ask for; a message and an exit code when they
// cannot be had.
std::variant<Machine, ExitCode> OpenMachine(const Options& options, Console& console);

}  // namespace orvella::cli
