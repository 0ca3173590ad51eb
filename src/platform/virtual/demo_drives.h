// The built-in demo machine: a hard disk with full IDENTIFY and S.M.A.R.T.
// data and two volumes, an SSD whose volume cannot be locked, a USB stick, a
// small CompactFlash card, a write-protected SD card, and a gap in the drive
// numbers. Kept as a drive description (demo_drives.json), which is also the
// complete example of the file format.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/virtual/virtual_machine.h"

namespace orvella {

// The description text of the demo machine.
std::string_view DemoDrivesJson();

// The demo machine, read from that text.
VirtualMachine DemoDrives();

// The machine a demo program runs on: the drive file named by the first
// command-line argument that is not an option, else the demo machine. The
// file's name is taken out of `arguments` (the program's own, argv[0]
// first), so that options may stand before or after it. Throws what
// ReadDriveFile throws.
VirtualMachine DemoMachineOfCommandLine(int argc, char** argv, std::vector<std::u16string>& arguments);

}  // namespace orvella
