// The exit code of an erase, as orvella-cli ends with it; the record itself
// is built by the system code (record/erase_record.h).
#pragma once

#include "cli/exit_codes.h"
#include <vector>

#include "format/format_procedure.h"

namespace orvella::cli {

ExitCode EraseExitCode(const FormatRun& run);

}  // namespace orvella::cli

namespace orvella::cli {

// The status an erase of several drives ends with: the worst of theirs in
// the order of kExitCodesWorstFirst; a status outside it counts as a failure.
ExitCode WorstExitCode(const std::vector<ExitCode>& codes);

}  // namespace orvella::cli
