// The drives orvella-cli works on: the machine's own, or simulated ones
// (the built-in demo set, or a drive description file) that take real time
// to write, as the demo shows them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "cli/cli_options.h"
#include "cli/console.h"
#include "cli/exit_codes.h"
#include "platform/os.h"

namespace orvella::cli {

struct Machine {
  std::unique_ptr<Os> os;
  bool simulated = false;

  // The drive number of a device path; nothing when it names no drive.
  std::optional<std::uint32_t> DriveNumberOfPath(const std::string& path);
};

// The drives the options ask for; a message and an exit code when they
// cannot be had.
std::variant<Machine, ExitCode> OpenMachine(const Options& options, Console& console);

}  // namespace orvella::cli
