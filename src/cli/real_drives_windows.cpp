// The drives of a Windows machine, through the Win32 calls themselves. A
// drive is named by its number or as \\.\PhysicalDriveN; Windows has no
// other device paths for whole drives.
#include "cli/real_drives.h"
#include "platform/windows/win32_os.h"

namespace orvella::cli {

std::optional<RealDrives> OpenRealDrives() {
  return RealDrives{std::make_unique<Win32Os>(), [](const std::string& path) {
                      return DevicePathAnswer{std::nullopt, path + " names no drive; on Windows name the drive by "
                                                                   "its number or as \\\\.\\PhysicalDriveN"};
                    },
                    {}};  // Windows cannot tell yet which drive holds the running system
}

}  // namespace orvella::cli
