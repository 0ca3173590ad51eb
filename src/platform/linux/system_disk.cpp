#include "platform/linux/system_disk.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>

#include "core/text.h"
#include "platform/linux/linux_os.h"

namespace orvella::linux_backend {
namespace {

// A stack deeper than this is a loop in a broken tree, not a machine.
constexpr std::size_t kMostLayers = 512;

bool NamesLayer(const SystemTree& tree, const std::string& path, const Layer& layer) {
  const std::string node = DeviceNodePath(layer.name);
  if (path == node) return true;
  return path.starts_with("/dev/") && tree.Resolve(path) == node;
}

bool IsSystemMountPoint(const std::string& mountPoint) {
  // The list holds the Windows system drive too, which no Linux mount point is.
  return std::any_of(std::begin(kSystemMountPoints), std::end(kSystemMountPoints),
                     [&](const char* place) { return mountPoint == place; });
}

bool OnLayers(const SystemTree& tree, const std::vector<Layer>& layers, DeviceNumber device,
              const std::string& source) {
  return std::any_of(layers.begin(), layers.end(), [&](const Layer& layer) {
    return layer.device == device || NamesLayer(tree, source, layer);
  });
}

void AddOnce(std::vector<std::string>& reasons, const std::string& reason) {
  if (std::find(reasons.begin(), reasons.end(), reason) == reasons.end()) reasons.push_back(reason);
}

}  // namespace

std::string HoldersDirectory(const std::vector<BlockDevice>& drives, const Volume& volume) {
  const std::string disk = "/sys/block/" + drives[volume.drive].name;
  return volume.partition == 0 ? disk + "/holders" : disk + "/" + volume.name + "/holders";
}

std::vector<Layer> LayersOfDrive(const SystemTree& tree, const std::vector<BlockDevice>& drives, std::size_t drive) {
  std::vector<Layer> layers;
  std::vector<std::string> holderDirectories;
  for (const Volume& volume : VolumesOfDrive(tree, drives, drive)) {
    layers.push_back({volume.name, volume.device});
    holderDirectories.push_back(HoldersDirectory(drives, volume));
  }
  // Breadth first: every holder's own holders are looked at in turn.
  for (std::size_t i = 0; i < holderDirectories.size() && layers.size() < kMostLayers; ++i) {
    for (const std::string& holder : tree.List(holderDirectories[i])) {
      const bool known = std::any_of(layers.begin(), layers.end(), [&](const Layer& l) { return l.name == holder; });
      if (known) continue;
      const auto device = ParseDeviceNumber(tree.ReadLine("/sys/block/" + holder + "/dev").value_or(""));
      layers.push_back({holder, device.value_or(DeviceNumber{})});
      holderDirectories.push_back("/sys/block/" + holder + "/holders");
    }
  }
  return layers;
}

std::vector<std::string> SystemUseOf(const SystemTree& tree, const std::vector<BlockDevice>& drives,
                                     std::size_t drive, std::optional<DeviceNumber> programDevice) {
  const std::vector<Layer> layers = LayersOfDrive(tree, drives, drive);
  std::vector<std::string> reasons;
  bool programMountSeen = false;
  for (const MountEntry& mount : ParseMountInfo(tree.ReadBytes("/proc/self/mountinfo").value_or(""))) {
    const bool program = programDevice && mount.device == *programDevice;
    programMountSeen = programMountSeen || program;
    if (!IsSystemMountPoint(mount.mountPoint) && !program) continue;
    if (!OnLayers(tree, layers, mount.device, mount.source)) continue;
    if (IsSystemMountPoint(mount.mountPoint))
      AddOnce(reasons, "the file system at " + mount.mountPoint + " (" + mount.source + ")");
    if (program) AddOnce(reasons, "the file system of this program at " + mount.mountPoint);
  }
  // A program on a device no mount names (an overlay's lower layer, say)
  // is still judged by the device itself.
  if (programDevice && !programMountSeen && OnLayers(tree, layers, *programDevice, {}))
    AddOnce(reasons, "the file system of this program");
  for (const std::string& swap : ParseSwaps(tree.ReadBytes("/proc/swaps").value_or("")))
    if (std::any_of(layers.begin(), layers.end(), [&](const Layer& l) { return NamesLayer(tree, swap, l); }))
      AddOnce(reasons, "the swap area " + swap);
  return reasons;
}

std::optional<DeviceNumber> FileDevice(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return DeviceNumber{::major(status.st_dev), ::minor(status.st_dev)};
}

SystemUseQuery LinuxSystemUse(LinuxOs& os) {
  return [&os](std::uint32_t driveNumber) {
    std::vector<std::u16string> parts;
    const SystemTree tree;
    if (driveNumber >= os.Drives().size()) return parts;
    for (const std::string& part : SystemUseOf(tree, os.Drives(), driveNumber, FileDevice("/proc/self/exe")))
      parts.push_back(Utf8ToText(part));
    return parts;
  };
}

}  // namespace orvella::linux_backend
