// orvella-cli: the terminal front end of Orvella. Lists the drives, shows
// a drive's identification and S.M.A.R.T. table, and erases a drive, with
// the same system code as the desktop program. `orvella-cli --help` tells
// the commands, switches and exit codes.
#include <clocale>
#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <variant>

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/console_panes.h"
#include "cli/machine.h"
#include "cli/signing_commands.h"
#include "cli/station.h"
#include "cli/terminal.h"
#include "core/clock.h"
#include "core/locale.h"
#include "core/program.h"

namespace orvella::cli {
namespace {

ExitCode RunCommand(Session& session) {
  switch (session.options.command) {
    case Command::List: return RunList(session);
    case Command::Details: return RunDetails(session);
    case Command::Smart: return RunSmart(session);
    case Command::Erase: return RunErase(session);
    case Command::Keygen:
    case Command::Verify: break;  // no drive needed: Run runs them
    case Command::Methods: return RunMethods(session);
    case Command::Unlock: return RunUnlock(session);
    case Command::Station: return RunStation(session);
  }
  return kExitUsage;
}

// What the commands printed must have reached stdout: a script that reads
// the answer (above all an erase record) is told when it was lost.
int CheckedOutput(Console& console, int exitCode) {
  const std::optional<std::string> lost = console.FinishOutput();
  if (!lost) return exitCode;
  console.Problem("cannot write to standard output: " + *lost);
  // A run that ended well, or unproven, has lost its record: that is a failure.
  return exitCode == kExitOk || exitCode == kExitNotProven ? kExitFailed : exitCode;
}

int RunOnMachine(const Options& options, Console& console) {
  std::variant<Machine, ExitCode> opened = OpenMachine(options, console);
  if (const ExitCode* failure = std::get_if<ExitCode>(&opened)) return *failure;
  Machine& machine = std::get<Machine>(opened);

  SystemClock clock;
  CLibraryLocale locale;
  ConsolePanes panes(console);
  ConsoleHalt halt(console);
  Program program(*machine.os, clock, locale, panes, halt);
  program.DebugMode = options.debug;
  Session session{options, console, machine, program, panes};
  return RunCommand(session);
}

int Run(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  PrepareStandardStreams();
  std::variant<Options, int> parsed = ParseOptions(argc, argv);
  if (const int* exitCode = std::get_if<int>(&parsed)) {
    // Help and version went to stdout through the C++ stream.
    if (std::cout.flush()) return *exitCode;
    std::cerr << "orvella-cli: cannot write to standard output\n";
    return *exitCode == kExitOk ? kExitFailed : *exitCode;
  }
  const Options& options = std::get<Options>(parsed);
  Console console(options.json);
  try {
    if (options.command == Command::Keygen) return CheckedOutput(console, RunKeygen(options, console));
    if (options.command == Command::Verify) return CheckedOutput(console, RunVerify(options, console));
    return CheckedOutput(console, RunOnMachine(options, console));
  } catch (const std::exception& error) {
    console.Problem(error.what());
    return CheckedOutput(console, kExitFailed);
  }
}

}  // namespace
}  // namespace orvella::cli

int main(int argc, char** argv) {
  try {
    return orvella::cli::Run(argc, argv);
  } catch (...) {
    std::fputs("orvella-cli: stopped by an unexpected error\n", stderr);
    return orvella::cli::kExitFailed;
  }
}
