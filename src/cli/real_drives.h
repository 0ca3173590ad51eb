// The machine's own drives, where this build has a backend for them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/os.h"

namespace orvella::cli {

// Nothing when this build cannot reach real drives.
std::unique_ptr<Os> OpenRealDrives();

// The drive number (N of \\.\PhysicalDriveN) of a device path such as
// /dev/sdb, as the backend numbers its drives; nothing when the path is no
// drive of the machine.
std::optional<std::uint32_t> RealDriveNumberOfPath(Os& os, const std::string& path);

}  // namespace orvella::cli
