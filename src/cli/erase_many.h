// orvella-cli erase DRIVE DRIVE...: the erases side by side in one process,
// one thread per drive, each with its own claim, locking, verification,
// log, Stop, ending and sealed record, over the same format procedure as a
// single erase. Every drive is named, checked (system disk, serial number)
// and claimed before any is asked about or written; one that fails there
// stops the whole erase with nothing written.
#pragma once

#include "cli/commands.h"

namespace orvella::cli {

ExitCode RunEraseMany(Session& session);

}  // namespace orvella::cli
