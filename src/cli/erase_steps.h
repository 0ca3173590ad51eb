// The steps every erase of orvella-cli takes, one drive or several: naming
// the drive before anything is asked, the --expect-serial check, and the
// facts its record needs from before the run.
#pragma once

#include <optional>
#include <string>

#include "cli/cli_options.h"
#include "cli/console.h"
#include "cli/exit_codes.h"
#include "device/drive_run.h"
#include "record/erase_record.h"

namespace orvella::cli {

// Which disk is about to be erased, in every name it goes by.
std::string DriveIdentityLine(DriveRun& run);

// --expect-serial: the one name of a drive that no attached or detached
// disk can move onto another. Nothing to check when `expected` is empty
// (the option was not given; an empty value is refused with the options).
std::optional<ExitCode> CheckExpectedSerial(Console& console, const DriveRun& drive, const std::string& expected);

// The record's facts known before the run; the drive's identification
// only where a record is wanted.
EraseFacts FactsBeforeErase(const Options& options, DriveRun& drive, bool recordWanted);

}  // namespace orvella::cli
