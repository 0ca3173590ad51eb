#include "platform/system_volumes.h"

#include <algorithm>
#include <utility>

#include "platform/byte_order.h"

namespace orvella {
namespace {

// VOLUME_DISK_EXTENTS: the count, then from byte 8 one DISK_EXTENT of 24
// bytes per extent, each starting with its disk number.
constexpr std::size_t kExtentsCount = 0;
constexpr std::size_t kFirstExtent = 8;
constexpr std::size_t kExtentSize = 24;

}  // namespace

SystemUseQuery SystemUseOfPlaces(std::vector<SystemPlace> places) {
  return [places = std::move(places)](std::uint32_t driveNumber) {
    std::vector<std::u16string> parts;
    for (const SystemPlace& place : places) {
      if (!place.unknown.empty())
        parts.push_back(place.what + u", whose disk could not be told: " + place.unknown);
      else if (std::find(place.disks.begin(), place.disks.end(), driveNumber) != place.disks.end())
        parts.push_back(place.what);
    }
    return parts;
  };
}

std::optional<std::vector<std::uint32_t>> DisksOfExtents(const std::uint8_t* reply, std::size_t length) {
  if (length < kFirstExtent) return std::nullopt;
  const std::uint32_t count = GetU32(reply, kExtentsCount);
  if (count > (length - kFirstExtent) / kExtentSize) return std::nullopt;
  std::vector<std::uint32_t> disks;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t disk = GetU32(reply, kFirstExtent + i * kExtentSize);
    if (std::find(disks.begin(), disks.end(), disk) == disks.end()) disks.push_back(disk);
  }
  return disks;
}

std::vector<std::u16string> PageFilePaths(const std::vector<std::u16string>& existingPageFiles) {
  constexpr std::u16string_view kNtPrefix = u"\\??\\";
  std::vector<std::u16string> paths;
  for (const std::u16string& file : existingPageFiles) {
    if (file.empty()) continue;
    paths.push_back(file.starts_with(kNtPrefix) ? file.substr(kNtPrefix.size()) : file);
  }
  return paths;
}

}  // namespace orvella
