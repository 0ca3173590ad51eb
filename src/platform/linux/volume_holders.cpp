#include "platform/linux/volume_holders.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <sstream>

#include "core/text.h"

namespace orvella::linux_backend {
namespace {

std::optional<std::uint32_t> ProcessId(const std::string& entry) {
  std::uint32_t pid = 0;
  const auto [end, error] = std::from_chars(entry.data(), entry.data() + entry.size(), pid);
  if (error != std::errc() || end != entry.data() + entry.size()) return std::nullopt;
  return pid;
}

// What a /proc link points at is on the device: a file of its file system,
// or the device node itself.
bool LinkTargetIsOnDevice(const std::string& link, DeviceNumber device) {
  struct stat target {};
  if (stat(link.c_str(), &target) != 0) return false;
  const dev_t number = makedev(device.major, device.minor);
  return target.st_dev == number || (S_ISBLK(target.st_mode) && target.st_rdev == number);
}

bool ProcessHolds(const SystemTree& tree, const std::string& process, DeviceNumber device) {
  for (const char* link : {"/cwd", "/root"})
    if (LinkTargetIsOnDevice(tree.Locate(process + link), device)) return true;
  for (const std::string& fd : tree.List(process + "/fd"))
    if (LinkTargetIsOnDevice(tree.Locate(process + "/fd/" + fd), device)) return true;
  const std::optional<std::string> maps = tree.ReadBytes(process + "/maps");
  if (!maps) return false;
  std::istringstream lines(*maps);
  for (std::string line; std::getline(lines, line);)
    if (MapsLineIsOnDevice(line, device)) return true;
  return false;
}

}  // namespace

bool MapsLineIsOnDevice(const std::string& line, DeviceNumber device) {
  // address perms offset major:minor inode path, the numbers in hexadecimal
  std::istringstream fields(line);
  std::string address, perms, offset, dev;
  if (!(fields >> address >> perms >> offset >> dev)) return false;
  const std::size_t colon = dev.find(':');
  if (colon == std::string::npos) return false;
  std::uint32_t major = 0, minor = 0;
  const char* text = dev.data();
  if (std::from_chars(text, text + colon, major, 16).ec != std::errc() ||
      std::from_chars(text + colon + 1, text + dev.size(), minor, 16).ec != std::errc())
    return false;
  return DeviceNumber{major, minor} == device;
}

std::optional<std::vector<VolumeHolder>> ProcessesHolding(const SystemTree& tree, DeviceNumber device) {
  const std::vector<std::string> entries = tree.List("/proc");
  if (entries.empty()) return std::nullopt;
  std::vector<VolumeHolder> holders;
  for (const std::string& entry : entries) {
    const std::optional<std::uint32_t> pid = ProcessId(entry);
    // Our own handles on the drive are no one else's hold on it.
    if (!pid || *pid == static_cast<std::uint32_t>(getpid())) continue;
    const std::string process = "/proc/" + entry;
    if (!ProcessHolds(tree, process, device)) continue;
    const std::optional<std::string> command = tree.ReadLine(process + "/comm");
    holders.push_back(VolumeHolder{*pid, Utf8ToText(command.value_or("?"))});
  }
  std::sort(holders.begin(), holders.end(), [](const VolumeHolder& a, const VolumeHolder& b) { return a.pid < b.pid; });
  return holders;
}

}  // namespace orvella::linux_backend
