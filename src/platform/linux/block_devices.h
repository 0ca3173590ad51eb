// The whole-disk block devices that the program calls physical drives, and
// the partitions on them, as sysfs lists them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/system_tree.h"

namespace orvella::linux_backend {

struct DeviceNumber {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  bool operator==(const DeviceNumber&) const = default;
};

// "8:16" as sysfs and mountinfo write it.
std::optional<DeviceNumber> ParseDeviceNumber(const std::string& text);

// One drive of the drive list: \\.\PhysicalDriveN is entry N.
struct BlockDevice {
  std::string name;  // kernel name, "sda"
  DeviceNumber number;
  std::string diskSequence;  // the diskseq attribute; empty where the kernel has none
};

struct Partition {
  std::string name;  // "sda1"
  std::uint32_t number = 0;
  DeviceNumber device;
};

// The drives of the machine: whole disks with a medium, without RAM disks,
// optical drives, device-mapper and md arrays (those are volumes on drives,
// not drives), in a stable order: SCSI/SATA, NVMe, virtio and other disks
// first, loop devices last, each kind in natural name order (sdz before sdaa).
std::vector<BlockDevice> ListDrives(const SystemTree& tree);

bool DriveOrderLess(const std::string& a, const std::string& b);

// The partitions of a drive, by partition number.
std::vector<Partition> ListPartitions(const SystemTree& tree, const std::string& disk);

// The device node of a kernel name ("cciss!c0d0" lives at /dev/cciss/c0d0).
std::string DeviceNodePath(const std::string& name);

// Whether the drive still is the one the list was made of: its sysfs entry
// exists with the same device number and disk sequence number.
bool StillPresent(const SystemTree& tree, const BlockDevice& drive);

}  // namespace orvella::linux_backend
