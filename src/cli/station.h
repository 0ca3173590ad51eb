// orvella-cli station: an erase station. It looks at the drives every
// second and erases each drive attached after it started, side by side,
// each with its own lane (claim, run, sealed record in --report-dir) as in
// an erase of several drives. Left alone: the drives attached at the start
// (unless named with --include), a drive that holds the running system, a
// drive whose serial number --exclude names, and one that reports no
// serial number. Runs until Ctrl+C; the runs in progress then stop as
// Stop stops them, and the summary closes.
#pragma once

#include "cli/commands.h"

namespace orvella::cli {

ExitCode RunStation(Session& session);

}  // namespace orvella::cli
