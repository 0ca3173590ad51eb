#include "cli/cli_options.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <sstream>

#include "cli/exit_codes.h"

namespace orvella::cli {
namespace {

constexpr char kDescription[] =
    "Finds the drives of this machine, shows what a drive reports about itself and erases it by "
    "writing zeros over it.\nTHE ERASE DESTROYS EVERY BYTE ON THE DRIVE.";

constexpr char kDriveHelp[] =
    "the drive number as the list and the drive titles show it ([1] is drive 1), its Windows name "
    "(\\\\.\\PhysicalDrive1), or on Linux its device path (/dev/sdb) or a link to it (/dev/disk/by-id/...)";

constexpr char kExpectSerialHelp[] =
    "erase only if the drive's serial number is S; otherwise nothing is written (exit status 8). "
    "Drive numbers and device paths can name another disk once disks come or go: scripts should "
    "give the serial number the list shows";

// The closing lines of a help text: where the drives come from, and the
// exit codes that `commands` can end with.
std::string Footer(unsigned commands) {
  std::ostringstream text;
  if (commands & kForErase)
    text << "The erase refuses drives with fewer than 65535 sectors, as the desktop program does.\n";
  text << "Without --drives or --demo the machine's own drives are used (administrator rights needed).\n\n"
          "Exit status:\n";
  for (const ExitCodeMeaning& e : kExitCodeMeanings)
    if (e.commands & commands) text << "  " << e.code << "  " << e.meaning << '\n';
  return text.str();
}

CLI::App* AddDriveCommand(CLI::App& app, const char* name, const char* description, unsigned bit,
                          Options& options) {
  CLI::App* command = app.add_subcommand(name, description);
  command->footer(Footer(bit));
  command->add_option("DRIVE", options.drive, kDriveHelp)->required()->type_name("");
  return command;
}

// What is wrong with the words left over after parsing: a switch no
// command has, a word that is no command, or no command at all.
std::string MisplacedWord(const CLI::App& app, const std::vector<std::string>& extras) {
  const std::vector<CLI::App*> commands = app.get_subcommands();
  if (extras.empty()) return "a command is needed (list, details, smart, erase)";
  const std::string& word = extras.front();
  if (!word.starts_with("-")) return "'" + word + "' is not a command (list, details, smart, erase)";
  if (commands.empty()) return "there is no option '" + word + "'";
  return "'" + commands.front()->get_name() + "' has no option '" + word + "'";
}

}  // namespace

std::variant<Options, int> ParseOptions(int argc, char** argv) {
  Options options;
  CLI::App app(kDescription, "orvella-cli");
  app.set_version_flag("--version", "orvella-cli (Orvella) " PROJECT_VERSION);
  app.footer(Footer(kForAll));
  app.require_subcommand(0, 1);  // a missing command is told below, with the word given instead
  app.fallthrough();  // the switches below may follow the command too
  // Arguments such as /dev/sdb or a report path stay arguments on Windows.
  app.allow_windows_style_options(false);

  app.add_flag("--debug", options.debug, "write the debug log lines to stderr");
  app.add_flag("--json", options.json, "write the answer as JSON on stdout");
  app.add_flag("--demo", options.demo, "use the built-in simulated demo drives");
  app.add_option("--drives", options.drivesFile, "use the simulated drives described in FILE (docs/drive-files.md)")
      ->check(CLI::ExistingFile.description(""))
      ->type_name("FILE");

  CLI::App* list = app.add_subcommand("list", "list the drives with their bus, model, firmware, serial number and size");
  list->footer(Footer(kForList));
  CLI::App* details =
      AddDriveCommand(app, "details", "show the drive's identification (ATA IDENTIFY)", kForDetails, options);
  CLI::App* smart = AddDriveCommand(app, "smart", "show the drive's S.M.A.R.T. attribute table", kForSmart, options);
  CLI::App* erase = AddDriveCommand(app, "erase", "write zeros over the whole drive", kForErase, options);
  erase->add_flag("--quick", options.quick, "only wipe the first and last 10,240,000 bytes (the partition tables)");
  erase->add_flag("-y,--yes", options.yes, "do not ask for confirmation");
  CLI::Option* report =
      erase->add_option("--report", options.reportFile, "write a JSON record of the erase to FILE, which must not exist yet")
          ->type_name("FILE");
  erase->add_flag("--force", options.force, "replace the --report FILE if it exists");
  erase->add_option("--operator", options.operatorName, "the person who runs the erase, named in its record")
      ->type_name("NAME");
  erase->add_option("--asset", options.assetTag, "the drive's asset tag, named in the erase record")
      ->type_name("TAG");
  erase->add_option("--expect-serial", options.expectSerial, kExpectSerialHelp)->type_name("S");
  std::string verify;
  erase->add_option("--verify", verify,
                    "read the drive back afterwards: every written byte (full), the NIST SP 800-88 sample "
                    "(sample), or not (off); default: sample, full with --quick")
      ->check(CLI::IsMember({"full", "sample", "off"}).description(""))
      ->type_name("full|sample|off");
  // Extra words after the switches would otherwise be blamed on a missing
  // command; they are named below instead.
  app.allow_extras();

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "orvella-cli: " << e.what() << "\nTry 'orvella-cli --help' for more information.\n";
    return kExitUsage;
  }

  if (const std::vector<std::string> extras = app.remaining(); !extras.empty() || app.get_subcommands().empty()) {
    std::cerr << "orvella-cli: " << MisplacedWord(app, extras) << "\nTry 'orvella-cli --help' for more information.\n";
    return kExitUsage;
  }
  if (report->count() > 0 && options.reportFile.empty()) {
    std::cerr << "orvella-cli: --report needs a file name\n";
    return kExitUsage;
  }
  if (options.demo && !options.drivesFile.empty()) {
    std::cerr << "orvella-cli: --demo and --drives exclude each other\n";
    return kExitUsage;
  }
  if (*list) options.command = Command::List;
  if (*details) options.command = Command::Details;
  if (*smart) options.command = Command::Smart;
  if (*erase) options.command = Command::Erase;
  if (!verify.empty()) options.verify = VerifyMethodNamed(verify);
  return options;
}

}  // namespace orvella::cli
