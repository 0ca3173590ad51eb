// What lives on a drive and is in use: mounted file systems (from
// mountinfo), active swap areas (from /proc/swaps) and stacked devices
// (device-mapper, md) holding a partition (from the holders directories).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/linux/block_devices.h"
#include "platform/linux/system_tree.h"

namespace orvella::linux_backend {

struct MountEntry {
  DeviceNumber device;     // the file system's device number
  std::string mountPoint;  // with the octal escapes of mountinfo undone
  std::string source;      // the mount source ("/dev/sda1"), escapes undone
};
std::vector<MountEntry> ParseMountInfo(const std::string& text);

// The paths of the active swap areas.
std::vector<std::string> ParseSwaps(const std::string& text);

// A partition of a drive, or the whole drive (partition 0) where a file
// system or a holder sits directly on it.
struct Volume {
  std::string name;  // kernel name, the volume's name in the drive strings
  std::size_t drive = 0;
  std::uint32_t partition = 0;
  DeviceNumber device;
};

// The whole drive first, then its partitions.
std::vector<Volume> VolumesOfDrive(const SystemTree& tree, const std::vector<BlockDevice>& drives, std::size_t drive);

// Mounts and swap areas read once, to judge several volumes by.
class VolumeUse {
 public:
  static VolumeUse Read(const SystemTree& tree);

  // Where the volume is mounted, in mount order.
  std::vector<std::string> MountPointsOf(const SystemTree& tree, const Volume& volume) const;
  bool IsSwap(const SystemTree& tree, const Volume& volume) const;
  // From sysfs alone: needs no tables read.
  static bool HasHolders(const SystemTree& tree, const std::vector<BlockDevice>& drives, const Volume& volume);
  bool InUse(const SystemTree& tree, const std::vector<BlockDevice>& drives, const Volume& volume) const;

 private:
  std::vector<MountEntry> mounts_;
  std::vector<std::string> swaps_;
};

}  // namespace orvella::linux_backend
