// The command line of orvella-cli: a command (list, details, smart, methods,
// unlock, erase, station, keygen, verify), the drive it works on, and the switches that say
// where the drives come from and how the answer is written.
#pragma once

#include <map>
#include <string>
#include <vector>
#include <variant>
#include <optional>

#include "device/erase_methods.h"
#include "format/verify_method.h"

namespace orvella::cli {

enum class Command { List, Details, Smart, Erase, Methods, Unlock, Keygen, Verify, Station };

struct Options {
  Command command = Command::List;
  std::string drive;       // DRIVE as given: a drive number or a device path; erase: the first
  std::vector<std::string> drives;  // erase: every DRIVE given, in order; station: every --include
  std::vector<std::string> excludeSerials;  // station: the serial numbers of drives it leaves alone
  bool quick = false;      // erase: the partition tables at both ends only
  bool yes = false;        // erase: no question
  std::optional<VerifyMethod> verify;  // erase: none: the mode's default
  EraseMethod method = EraseMethod::Zeros;  // erase: the zero overwrite, or the drive's own erase
  bool thenZeros = false;  // erase: after the drive's own erase, the zero overwrite and its read-back
  std::string reportFile;  // erase: where the JSON erase record goes
  bool force = false;      // erase: an existing report file may be replaced
  std::string operatorName;  // erase: who runs it, for the record
  std::string assetTag;      // erase: the asset tag of the drive, for the record
  std::string expectSerial;  // erase: refuse unless the drive has this serial number; many drives: the first's
  // erase of several drives: the serial number each must have, by the drive
  // as given (every drive has one, or none has)
  std::map<std::string, std::string> expectSerials;
  std::string reportDir;  // erase: the folder that takes a record per drive
  std::string signKeyFile;   // erase: the secret key that signs the record
  std::string keyFile;       // keygen: where the secret key goes (the public key beside it, .pub)
  std::string recordFile;    // verify: the record to check
  std::string trustedKeyFile;  // verify: the public key that must have signed it
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
