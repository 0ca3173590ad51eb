// Which drives hold the running system. Erasing one pulls the machine out
// from under itself, so a front end asks before it claims a drive for an
// erase and refuses whatever was confirmed. Each backend that can tell
// makes such a query (linux/system_disk.h, virtual/system_places.h).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvella {

// The parts of the running system on drive N, in words ("the file system
// at / (/dev/sda2)", "the swap area /dev/sda3"); none for any other drive.
using SystemUseQuery = std::function<std::vector<std::u16string>(std::uint32_t driveNumber)>;

// The places where the running system's own file systems are mounted.
inline constexpr const char* kSystemMountPoints[] = {"/", "/boot", "/usr", "/boot/efi", "C:\\"};

}  // namespace orvella
