// The drives of a Linux machine. A device path names the drive whose block
// device it is: the path is resolved by the kernel (links such as
// /dev/disk/by-id/... included) and matched by device number, so that no
// spelling of a path can reach another disk. A file is on the drive one of
// whose layers (partitions, stacked devices) its file system lives on.
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "cli/real_drives.h"
#include "platform/linux/linux_os.h"
#include "platform/linux/system_disk.h"

namespace orvella::cli {
namespace {

bool IsPartition(unsigned major, unsigned minor) {
  std::error_code ignored;
  return std::filesystem::exists(
      "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor) + "/partition", ignored);
}

DevicePathAnswer DriveOfPath(LinuxOs& os, const std::string& path) {
  struct stat node {};
  if (stat(path.c_str(), &node) != 0) return {std::nullopt, path + ": " + std::strerror(errno)};
  if (!S_ISBLK(node.st_mode)) return {std::nullopt, path + " is not a block device"};
  const unsigned major = ::major(node.st_rdev);
  const unsigned minor = ::minor(node.st_rdev);
  const auto& drives = os.Drives();
  for (std::size_t n = 0; n < drives.size(); ++n)
    if (drives[n].number.major == major && drives[n].number.minor == minor) return {static_cast<std::uint32_t>(n), {}};
  if (IsPartition(major, minor)) return {std::nullopt, path + " is a partition; name the whole drive"};
  return {std::nullopt, path + " is not one of the drives 'orvella-cli list' shows"};
}

std::optional<std::uint32_t> DriveOfFile(LinuxOs& os, const std::string& file) {
  const auto device = linux_backend::FileDevice(file);
  if (!device) return std::nullopt;
  const linux_backend::SystemTree tree;
  const auto& drives = os.Drives();
  for (std::size_t n = 0; n < drives.size(); ++n)
    for (const linux_backend::Layer& layer : linux_backend::LayersOfDrive(tree, drives, n))
      if (layer.device == *device) return static_cast<std::uint32_t>(n);
  return std::nullopt;
}

}  // namespace

std::optional<RealDrives> OpenRealDrives() {
  auto os = std::make_unique<LinuxOs>();
  LinuxOs* linux = os.get();
  return RealDrives{std::move(os), [linux](const std::string& path) { return DriveOfPath(*linux, path); },
                    linux_backend::LinuxSystemUse(*linux),
                    [linux](const std::string& file) { return DriveOfFile(*linux, file); }};
}

}  // namespace orvella::cli
