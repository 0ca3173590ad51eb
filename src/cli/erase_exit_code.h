// The exit code of an erase, as orvella-cli ends with it; the record itself
// is built by the system code (record/erase_record.h).
#pragma once

#include "cli/exit_codes.h"
#include "format/format_procedure.h"

namespace orvella::cli {

ExitCode EraseExitCode(const FormatRun& run);

}  // namespace orvella::cli
