#include "platform/linux/volume_use.h"

#include <sstream>

#include "platform/linux/system_disk.h"

namespace orvella::linux_backend {
namespace {

// mountinfo and /proc/swaps write blanks, tabs, newlines and backslashes in
// paths as three-digit octal escapes.
bool IsOctalEscape(const std::string& field, std::size_t i) {
  if (field[i] != '\\' || i + 3 >= field.size()) return false;
  for (std::size_t k = i + 1; k <= i + 3; ++k)
    if (field[k] < '0' || field[k] > '7') return false;
  return true;
}

std::string Unescaped(const std::string& field) {
  std::string text;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (IsOctalEscape(field, i)) {
      text.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0')));
      i += 3;
    } else {
      text.push_back(field[i]);
    }
  }
  return text;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream stream(line);
  for (std::string field; stream >> field;) fields.push_back(field);
  return fields;
}

// Whether a path names the volume's device node, following links
// (/dev/mapper/x, /dev/disk/by-uuid/...) where the tree has them.
bool NamesVolume(const SystemTree& tree, const std::string& path, const Volume& volume) {
  const std::string node = DeviceNodePath(volume.name);
  if (path == node) return true;
  if (path.rfind("/dev/", 0) != 0) return false;
  return tree.Resolve(path) == node;
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(const std::string& text) {
  std::vector<MountEntry> mounts;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const std::vector<std::string> fields = Fields(line);
    // id parent major:minor root mount-point options [optional...] - type source super-options
    std::size_t dash = 6;
    while (dash < fields.size() && fields[dash] != "-") ++dash;
    if (fields.size() < 5 || dash + 2 >= fields.size()) continue;
    const auto device = ParseDeviceNumber(fields[2]);
    if (!device) continue;
    mounts.push_back({*device, Unescaped(fields[4]), Unescaped(fields[dash + 2])});
  }
  return mounts;
}

std::vector<std::string> ParseSwaps(const std::string& text) {
  std::vector<std::string> swaps;
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);  // the column titles
  while (std::getline(lines, line)) {
    const std::vector<std::string> fields = Fields(line);
    if (!fields.empty()) swaps.push_back(Unescaped(fields[0]));
  }
  return swaps;
}

std::vector<Volume> VolumesOfDrive(const SystemTree& tree, const std::vector<BlockDevice>& drives, std::size_t drive) {
  const BlockDevice& disk = drives[drive];
  std::vector<Volume> volumes{{disk.name, drive, 0, disk.number}};
  for (const Partition& partition : ListPartitions(tree, disk.name))
    volumes.push_back({partition.name, drive, partition.number, partition.device});
  return volumes;
}

VolumeUse VolumeUse::Read(const SystemTree& tree) {
  VolumeUse use;
  use.mounts_ = ParseMountInfo(tree.ReadBytes("/proc/self/mountinfo").value_or(""));
  use.swaps_ = ParseSwaps(tree.ReadBytes("/proc/swaps").value_or(""));
  return use;
}

std::vector<std::string> VolumeUse::MountPointsOf(const SystemTree& tree, const Volume& volume) const {
  std::vector<std::string> points;
  for (const MountEntry& mount : mounts_)
    if (mount.device == volume.device || NamesVolume(tree, mount.source, volume)) points.push_back(mount.mountPoint);
  return points;
}

bool VolumeUse::IsSwap(const SystemTree& tree, const Volume& volume) const {
  for (const std::string& swap : swaps_)
    if (NamesVolume(tree, swap, volume)) return true;
  return false;
}

bool VolumeUse::HasHolders(const SystemTree& tree, const std::vector<BlockDevice>& drives, const Volume& volume) {
  return !tree.List(HoldersDirectory(drives, volume)).empty();
}

bool VolumeUse::InUse(const SystemTree& tree, const std::vector<BlockDevice>& drives, const Volume& volume) const {
  return !MountPointsOf(tree, volume).empty() || IsSwap(tree, volume) || HasHolders(tree, drives, volume);
}

}  // namespace orvella::linux_backend
