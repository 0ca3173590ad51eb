#include "cli/cli_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <map>
#include <optional>
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
    "give the serial number the list shows. With several drives: once per drive in their order, "
    "or DRIVE=S for each";

constexpr char kReportDirHelp[] =
    "write the sealed JSON record of each drive into DIR, named by its serial number and the time "
    "(an existing file is never replaced)";

// The closing lines of a help text: where the drives come from, and the
// exit codes that `commands` can end with.
std::string Footer(unsigned commands) {
  std::ostringstream text;
  if (commands & kForErase)
    text << "The erase refuses drives with fewer than 65535 sectors, as the desktop program does.\n";
  if (commands & (kForList | kForDrives))
    text << "Without --drives or --demo the machine's own drives are used (administrator rights needed).\n\n";
  text << "Exit status:\n";
  for (const ExitCodeMeaning& e : kExitCodeMeanings)
    if (e.commands & commands) text << "  " << e.code << "  " << e.meaning << '\n';
  if (commands & kForErase) {
    text << "\nAn erase of several drives ends with the worst of their statuses, worst first:";
    for (const ExitCode code : kExitCodesWorstFirst) text << ' ' << code;
    text << '\n';
  }
  return text.str();
}

CLI::App* AddDriveCommand(CLI::App& app, const char* name, const char* description, unsigned bit,
                          Options& options) {
  CLI::App* command = app.add_subcommand(name, description);
  command->footer(Footer(bit));
  command->add_option("DRIVE", options.drive, kDriveHelp)->required()->type_name("");
  return command;
}

// The serial number --expect-serial gives for each drive: given once per
// drive in their order, or as DRIVE=SERIAL for every drive. An empty serial
// number would switch the check off, so it is a mistake like any other.
std::optional<std::string> MatchExpectedSerials(const std::vector<std::string>& values, Options& options) {
  if (values.empty()) return std::nullopt;
  std::map<std::string, std::string> serials;
  const bool named = std::all_of(values.begin(), values.end(), [&](const std::string& value) {
    const std::size_t equals = value.find('=');
    return equals != std::string::npos &&
           std::find(options.drives.begin(), options.drives.end(), value.substr(0, equals)) != options.drives.end();
  });
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::size_t equals = named ? values[i].find('=') : std::string::npos;
    const std::string drive = named ? values[i].substr(0, equals) : i < options.drives.size() ? options.drives[i] : "";
    const std::string serial = named ? values[i].substr(equals + 1) : values[i];
    if (serial.find_first_not_of(' ') == std::string::npos) return "--expect-serial needs a serial number";
    if (!serials.emplace(drive, serial).second) return "--expect-serial names " + drive + " twice";
  }
  if (values.size() != options.drives.size())
    return "--expect-serial must be given once for every drive, in their order, or as DRIVE=SERIAL for each";
  options.expectSerials = serials;
  options.expectSerial = serials.at(options.drives.front());
  return std::nullopt;
}

// What a command line of several drives must not mix up.
std::optional<std::string> CheckDrives(const Options& options) {
  for (std::size_t i = 0; i < options.drives.size(); ++i)
    if (std::find(options.drives.begin(), options.drives.begin() + static_cast<std::ptrdiff_t>(i),
                  options.drives[i]) != options.drives.begin() + static_cast<std::ptrdiff_t>(i))
      return options.drives[i] + " is named twice";
  if (options.drives.size() > 1 && !options.reportFile.empty())
    return "--report takes the record of one drive; use --report-dir DIR for several";
  if (!options.reportFile.empty() && !options.reportDir.empty()) return "--report and --report-dir exclude each other";
  return std::nullopt;
}

// How a drive is erased and read back, for every command that erases.
void AddEraseChoices(CLI::App& command, std::string& method, std::string& verify) {
  command.add_option("--method", method,
                    "zeros (write zeros from this computer: a Clear), or the drive's own erase: block-erase, "
                    "crypto-erase, drive-overwrite, format-erase, security-erase, security-erase-enhanced "
                    "(orvella-cli methods DRIVE tells which the drive offers); default: zeros")
      ->check(CLI::IsMember({"zeros", "block-erase", "crypto-erase", "drive-overwrite", "format-erase",
                             "security-erase", "security-erase-enhanced"}))
      ->type_name("METHOD");
  command.add_option("--verify", verify,
                    "read the drive back afterwards: every written byte (full), the NIST SP 800-88 sample "
                    "(sample), or not (off); default: sample, full with --quick")
      ->check(CLI::IsMember({"full", "sample", "off"}).description(""))
      ->type_name("full|sample|off");
}

// What is wrong with the words left over after parsing: a switch no
// command has, a word that is no command, or no command at all.
std::string MisplacedWord(const CLI::App& app, const std::vector<std::string>& extras) {
  const std::vector<CLI::App*> commands = app.get_subcommands();
  constexpr char kCommands[] = " (list, details, smart, methods, unlock, erase, station, keygen, verify)";
  if (extras.empty()) return std::string("a command is needed") + kCommands;
  const std::string& word = extras.front();
  if (!word.starts_with("-")) return "'" + word + "' is not a command" + kCommands;
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
  CLI::App* methods = AddDriveCommand(
      app, "methods", "list the ways the drive can be erased: each available, or why not", kForMethods, options);
  CLI::App* unlock = AddDriveCommand(
      app, "unlock", "take off the security password Orvella set on the drive (left by a security erase that broke off)",
      kForUnlock, options);
  CLI::App* erase = app.add_subcommand(
      "erase", "write zeros over the whole drive, or have it erase itself; several drives side by side");
  erase->footer(Footer(kForErase));
  erase->add_option("DRIVE", options.drives, kDriveHelp)->required()->type_name("")->expected(1, -1);
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
  std::vector<std::string> expectSerials;
  erase->add_option("--expect-serial", expectSerials, kExpectSerialHelp)->type_name("S")->allow_extra_args(false);
  CLI::Option* reportDir =
      erase->add_option("--report-dir", options.reportDir, kReportDirHelp)->type_name("DIR");
  std::string verify;
  CLI::Option* signKey =
      erase->add_option("--sign-key", options.signKeyFile, "sign the record with the secret key in KEY (see keygen)")
          ->type_name("KEY");
  CLI::App* keygen = app.add_subcommand("keygen", "make a key pair to sign erase records with: FILE and FILE.pub");
  keygen->add_option("FILE", options.keyFile, "where the secret key goes; the public key goes to FILE.pub")
      ->required()
      ->type_name("");
  keygen->footer(Footer(kForKeygen));
  CLI::App* verifyCommand = app.add_subcommand(
      "verify", "check an erase record: its digest, that it does not contradict itself, and its signature");
  verifyCommand->footer(Footer(kForVerify));
  verifyCommand->add_option("RECORD", options.recordFile, "the JSON erase record")->required()->type_name("");
  verifyCommand->add_option("--key", options.trustedKeyFile, "accept only a signature by the public key in PUB")
      ->type_name("PUB");
  CLI::App* station = app.add_subcommand(
      "station", "erase every drive attached from now on, side by side, until Ctrl+C");
  station->footer(Footer(kForErase));
  CLI::Option* stationDir = station->add_option("--report-dir", options.reportDir, kReportDirHelp)
                                ->type_name("DIR")
                                ->required();
  station->add_option("--include", options.drives,
                      "erase DRIVE too, although it was attached before the station started (once per drive)")
      ->type_name("DRIVE")
      ->allow_extra_args(false);
  station->add_option("--exclude", options.excludeSerials,
                      "never erase the drive with the serial number S (once per drive)")
      ->type_name("S")
      ->allow_extra_args(false);
  station->add_flag("-y,--yes", options.yes, "do not ask for confirmation");
  std::string method;
  for (CLI::App* command : {erase, station}) AddEraseChoices(*command, method, verify);
  erase->add_flag("--then-zeros", options.thenZeros,
                  "after the drive's own erase (--method), write zeros over the whole drive and read them back, "
                  "for a drive that must read as zeros");
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
  if ((reportDir->count() > 0 || stationDir->count() > 0) && options.reportDir.empty()) {
    std::cerr << "orvella-cli: --report-dir needs a folder name\n";
    return kExitUsage;
  }
  if (!options.drives.empty()) options.drive = options.drives.front();
  // An empty serial number would match the drives that report none.
  if (std::any_of(options.excludeSerials.begin(), options.excludeSerials.end(),
                  [](const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; })) {
    std::cerr << "orvella-cli: --exclude needs a serial number\n";
    return kExitUsage;
  }
  std::optional<std::string> mistake = CheckDrives(options);
  if (!mistake) mistake = MatchExpectedSerials(expectSerials, options);
  if (mistake) {
    std::cerr << "orvella-cli: " << *mistake << "\n";
    return kExitUsage;
  }
  if (signKey->count() > 0 && options.signKeyFile.empty()) {
    std::cerr << "orvella-cli: --sign-key needs a key file\n";
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
  if (*keygen) options.command = Command::Keygen;
  if (*verifyCommand) options.command = Command::Verify;
  if (*methods) options.command = Command::Methods;
  if (*unlock) options.command = Command::Unlock;
  if (*station) options.command = Command::Station;
  if (!method.empty()) options.method = *EraseMethodNamed(method);
  if (options.method != EraseMethod::Zeros && options.quick) {
    std::cerr << "orvella-cli: --quick writes zeros; it does not go with --method " << method << "\n";
    return kExitUsage;
  }
  if (options.thenZeros && options.method == EraseMethod::Zeros) {
    std::cerr << "orvella-cli: --then-zeros follows the drive's own erase; give it a --method other than zeros\n";
    return kExitUsage;
  }
  if (!verify.empty()) options.verify = VerifyMethodNamed(verify);
  return options;
}

}  // namespace orvella::cli
