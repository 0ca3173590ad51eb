// The four commands of orvella-cli over the system code: the catalogue, the
// two reports and the format procedure.
#pragma once

#include "cli/cli_options.h"
#include "cli/console.h"
#include "cli/console_panes.h"
#include "cli/exit_codes.h"
#include "cli/machine.h"
#include "core/program.h"

namespace orvella::cli {

struct Session {
  const Options& options;
  Console& console;
  Machine& machine;
  Program& program;
  ConsolePanes& panes;
};

ExitCode RunList(Session& session);
ExitCode RunDetails(Session& session);
ExitCode RunSmart(Session& session);
ExitCode RunErase(Session& session);
// Each erase method for the drive: available, or why not.
ExitCode RunMethods(Session& session);
// Takes off the security password a broken-off security erase left.
ExitCode RunUnlock(Session& session);

}  // namespace orvella::cli
