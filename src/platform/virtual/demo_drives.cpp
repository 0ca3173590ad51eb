#include "platform/virtual/demo_drives.h"

#include "platform/virtual/drive_file.h"

namespace orvella {

// Generated at build time from demo_drives.json.
extern const char kDemoDrivesJson[];

std::string_view DemoDrivesJson() { return kDemoDrivesJson; }

VirtualMachine DemoDrives() { return ParseDriveDescription(DemoDrivesJson()); }

VirtualMachine DemoMachineOfCommandLine(int argc, char** argv, std::vector<std::u16string>& arguments) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] == '-') continue;
    if (i < static_cast<int>(arguments.size())) arguments.erase(arguments.begin() + i);
    return ReadDriveFile(argv[i]);
  }
  return DemoDrives();
}

}  // namespace orvella
