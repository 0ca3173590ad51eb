#include "cli/machine.h"

#include <chrono>
#include <thread>

#include "cli/real_drives.h"
#include "platform/virtual/demo_drives.h"
#include "platform/virtual/drive_file.h"
#include "platform/virtual/virtual_os.h"

namespace orvella::cli {
namespace {

void SleepFor(std::int64_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

}  // namespace

std::optional<std::uint32_t> Machine::DriveNumberOfPath(const std::string& path) {
  if (simulated) return std::nullopt;  // simulated drives have numbers only
  return RealDriveNumberOfPath(*os, path);
}

std::variant<Machine, ExitCode> OpenMachine(const Options& options, Console& console) {
  if (options.demo || !options.drivesFile.empty()) {
    try {
      VirtualMachine drives = options.demo ? DemoDrives() : ReadDriveFile(options.drivesFile);
      return Machine{std::make_unique<VirtualOs>(std::move(drives), SleepFor), true};
    } catch (const DriveFileError& error) {
      console.Problem(error.what());
      return kExitUsage;
    }
  }
  std::unique_ptr<Os> os = OpenRealDrives();
  if (!os) {
    console.Problem("this build cannot reach the machine's drives; use --demo or --drives FILE "
                "for simulated drives.");
    return kExitFailed;
  }
  return Machine{std::move(os), false};
}

}  // namespace orvella::cli
