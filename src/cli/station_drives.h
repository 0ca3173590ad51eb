// The drives an erase station sees at one look, and which of them it has
// already dealt with. A drive is known by its device path and its serial
// number; it is forgotten once its device path is gone from the drives, so
// that a drive plugged in again is a new drive. A drive that is held (by an
// erase in progress) and cannot be read still holds its device path.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace orvella::cli {

struct SeenDrive {
  std::string path;    // the device path: "/dev/sdc", or \\.\PhysicalDriveN
  std::string serial;  // as the drive reports it, blanks trimmed; empty when none
  std::vector<std::string> systemUse;  // the running system's parts on it
  bool opened = true;  // false: the walk found it but could not read it
  bool holdsRecords = false;  // the file system of the record folder is on it
};

// One walk over the machine's drives; nothing (and a message) when the
// drives cannot be had.
std::optional<std::vector<SeenDrive>> LookAtDrives(Session& s);

class KnownDrives {
 public:
  // The drives of this look that were not known before; every drive of the
  // look is known afterwards, and a path that is gone is forgotten.
  std::vector<SeenDrive> NewDrives(const std::vector<SeenDrive>& look);

 private:
  std::map<std::string, std::set<std::string>> serialsByPath_;
  bool started_ = false;  // the first look, of the drives there at the start, is over
};

// Whether the drive reports a serial number to be named by.
bool HasSerial(const SeenDrive& drive);

// The serial numbers the station never erases: those --exclude names, and
// that of the drive the record folder was on at the start (which may come
// back unmounted after a loose plug).
struct SparedSerials {
  std::vector<std::string> excluded;
  std::vector<std::string> records;
};

// Why the station leaves a new drive alone; nothing when it erases it.
std::optional<std::string> WhyLeftAlone(const SeenDrive& drive, const SparedSerials& spared);

}  // namespace orvella::cli
