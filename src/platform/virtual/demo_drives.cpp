#include "platform/virtual/demo_drives.h"

#include "platform/virtual/drive_file.h"

namespace orvella {

// Generated at build time from demo_drives.json.
extern const char kDemoDrivesJson[];

std::string_view DemoDrivesJson() { return kDemoDrivesJson; }

VirtualMachine DemoDrives() { return ParseDriveDescription(DemoDrivesJson()); }

}  // namespace orvella
