// The machine's own drives, where this build has a backend for them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/os.h"
#include "platform/system_use.h"

namespace orvella::cli {

// What a device path names, in the numbering of the drives.
struct DevicePathAnswer {
  std::optional<std::uint32_t> driveNumber;  // N of \\.\PhysicalDriveN
  std::string whyNot;                        // when it names no drive
};

// The drive number of the drive that holds the file system of a file
// (on a partition, the drive itself, or a device stacked on them); none
// when no drive does or it cannot be told.
using FileDriveQuery = std::function<std::optional<std::uint32_t>(const std::string& file)>;

struct RealDrives {
  std::unique_ptr<Os> os;
  std::function<DevicePathAnswer(const std::string& path)> driveOfPath;
  SystemUseQuery systemUseOf;  // empty where the backend cannot tell
  FileDriveQuery driveOfFile;  // empty where the backend cannot tell
};

// Nothing when this build cannot reach real drives.
std::optional<RealDrives> OpenRealDrives();

}  // namespace orvella::cli
