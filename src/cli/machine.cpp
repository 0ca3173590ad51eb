#include "cli/machine.h"

#include "cli/interrupt.h"
#include "platform/virtual/demo_drives.h"
#include "platform/virtual/drive_file.h"
#include "platform/virtual/system_places.h"
#include "platform/virtual/virtual_os.h"

namespace orvella::cli {

std::variant<Machine, ExitCode> OpenMachine(const Options& options, Console& console) {
  if (options.demo || !options.drivesFile.empty()) {
    try {
      VirtualMachine drives = options.demo ? DemoDrives() : ReadDriveFile(options.drivesFile);
      SystemUseQuery systemUse = VirtualSystemUse(drives);
      return Machine{std::make_unique<VirtualOs>(std::move(drives), SleepUnlessInterrupted), {}, std::move(systemUse),
                     {}};
    } catch (const DriveFileError& error) {
      console.Problem(error.what());
      return kExitUsage;
    }
  }
  std::optional<RealDrives> real = OpenRealDrives();
  if (!real) {
    console.Problem("this build cannot reach the machine's drives; use --demo or --drives FILE "
                "for simulated drives.");
    return kExitFailed;
  }
  return Machine{std::move(real->os), std::move(real->driveOfPath), std::move(real->systemUseOf),
                 std::move(real->driveOfFile)};
}

}  // namespace orvella::cli
