// Which drives hold the running system, told from the volumes its parts
// live on (Windows: the Windows folder, the boot loader's partition, the
// page files, the program's own file) and the disks each volume spans.
// The backend finds the places; this turns them into the query front ends
// ask before they claim a drive (platform/system_use.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/system_use.h"

namespace orvella {

// One part of the running system and the disks its volume lies on.
struct SystemPlace {
  std::u16string what;               // "the Windows folder C:\Windows"
  std::vector<std::uint32_t> disks;  // drive numbers the volume has extents on
  // Why the disks could not be told; set, the place may be on any drive,
  // and every drive is refused with this reason rather than none.
  std::u16string unknown;
};

// Drive N holds the places whose volume has an extent on it, and every
// place whose disks are unknown.
SystemUseQuery SystemUseOfPlaces(std::vector<SystemPlace> places);

// The disk numbers of a VOLUME_DISK_EXTENTS reply of `length` bytes, each
// once; none when the reply is shorter than the extents it counts.
std::optional<std::vector<std::uint32_t>> DisksOfExtents(const std::uint8_t* reply, std::size_t length);

// The files of the page files Windows lists in ExistingPageFiles
// ("\??\C:\pagefile.sys"), as paths ("C:\pagefile.sys").
std::vector<std::u16string> PageFilePaths(const std::vector<std::u16string>& existingPageFiles);

}  // namespace orvella
