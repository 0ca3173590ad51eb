// The steps every erase of orvella-cli takes, one drive or several: naming
// the drive before anything is asked, the --expect-serial check, the check
// of the method, and the choices the command line makes for the run.
#pragma once

#include <optional>
#include <string>

#include "cli/cli_options.h"
#include "cli/console.h"
#include "cli/exit_codes.h"
#include "device/drive_run.h"
#include "format/erase_choices.h"

namespace orvella::cli {

// Which disk is about to be erased, in every name it goes by.
std::string DriveIdentityLine(DriveRun& run);

// --expect-serial: the one name of a drive that no attached or detached
// disk can move onto another. Nothing to check when `expected` is empty
// (the option was not given; an empty value is refused with the options).
std::optional<ExitCode> CheckExpectedSerial(Console& console, const DriveRun& drive, const std::string& expected);

// A method the drive does not offer (zeros on a drive locked by its
// password among them) is refused before anything is asked, locked or sent.
std::optional<ExitCode> CheckMethod(Console& console, DriveRun& drive, EraseMethod method);

// The run's choices as the switches give them.
EraseChoices ChoicesOf(const Options& options);

}  // namespace orvella::cli
