// Whether a drive holds the running system: a file system mounted at the
// root, /boot, /usr or /boot/efi, an active swap area, or the file system
// of the program itself, on one of its partitions directly or through the
// device-mapper and md devices stacked on them. Erasing such a drive takes
// the machine down under the erase, so it is refused whatever was confirmed.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/block_devices.h"
#include "platform/linux/system_tree.h"
#include "platform/linux/volume_use.h"
#include "platform/system_use.h"

namespace orvella {
class LinuxOs;
}

namespace orvella::linux_backend {

// The sysfs folder that lists the devices stacked on a volume.
std::string HoldersDirectory(const std::vector<BlockDevice>& drives, const Volume& volume);

// A block device on the drive: the drive itself, a partition, or a device
// stacked on them at any depth (dm-0 over sda2, md0 over sda1 and sdb1).
struct Layer {
  std::string name;  // kernel name
  DeviceNumber device;
};
std::vector<Layer> LayersOfDrive(const SystemTree& tree, const std::vector<BlockDevice>& drives, std::size_t drive);

// The running system's parts on the drive, each in words ("the file system
// at / (/dev/mapper/root)", "the swap area /dev/sda3"); none when it holds
// none of them. `programDevice` is the device the program's file lives on
// (from /proc/self/exe); none when it cannot be told.
std::vector<std::string> SystemUseOf(const SystemTree& tree, const std::vector<BlockDevice>& drives,
                                     std::size_t drive, std::optional<DeviceNumber> programDevice);

// The device a file lives on (stat's st_dev); none when it cannot be read.
std::optional<DeviceNumber> FileDevice(const std::string& path);

// The query for the live machine the backend sees, with the program's own
// file found through /proc/self/exe.
SystemUseQuery LinuxSystemUse(LinuxOs& os);

}  // namespace orvella::linux_backend
