// Which processes hold a volume, found from /proc: an open file on it (or
// its device node itself), the working or root folder there, or a file of
// it mapped into memory. Everything is only read; a process that cannot be
// read (gone meanwhile, or not ours to see) is skipped, and so is this
// program itself, whose own handles on the drive hold nothing against it.
#pragma once

#include <optional>
#include <vector>

#include "platform/linux/block_devices.h"
#include "platform/linux/system_tree.h"
#include "platform/os.h"

namespace orvella::linux_backend {

// In ascending process-id order; none when /proc cannot be listed.
std::optional<std::vector<VolumeHolder>> ProcessesHolding(const SystemTree& tree, DeviceNumber device);

// Whether a line of /proc/PID/maps maps a file of the device.
bool MapsLineIsOnDevice(const std::string& line, DeviceNumber device);

}  // namespace orvella::linux_backend
