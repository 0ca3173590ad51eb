// The command line of orvella-cli: a command (list, details, smart, erase),
// the drive it works on, and the switches that say where the drives come
// from and how the answer is written.
#pragma once

#include <string>
#include <variant>
#include <optional>

#include "format/verify_method.h"

namespace orvella::cli {

enum class Command { List, Details, Smart, Erase };

struct Options {
  Command command = Command::List;
  std::string drive;       // DRIVE as given: a drive number or a device path
  bool quick = false;      // erase: the partition tables at both ends only
  bool yes = false;        // erase: no question
  std::optional<VerifyMethod> verify;  // erase: none: the mode's default
  std::string reportFile;  // erase: where the JSON erase record goes
  bool force = false;      // erase: an existing report file may be replaced
  std::string operatorName;  // erase: who runs it, for the record
  std::string assetTag;      // erase: the asset tag of the drive, for the record
  std::string expectSerial;  // erase: refuse unless the drive has this serial number
  bool debug = false;
  bool json = false;
  bool demo = false;
  std::string drivesFile;  // a drive description file of simulated drives
};

// Parses the command line. When it asks for help or the version, or is
// wrong, the answer has been written (help and version to stdout, mistakes
// to stderr) and the exit code is returned instead of options.
std::variant<Options, int> ParseOptions(int argc, char** argv);

}  // namespace orvella::cli
