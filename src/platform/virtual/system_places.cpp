#include "platform/virtual/system_places.h"

#include <algorithm>

#include "core/text.h"

namespace orvella {

SystemUseQuery VirtualSystemUse(const VirtualMachine& machine) {
  return [volumes = machine.volumes](std::uint32_t driveNumber) {
    std::vector<std::u16string> parts;
    for (const VirtualVolume& volume : volumes) {
      if (volume.deviceNumber != driveNumber || !volume.mountPoint) continue;
      const bool system = std::any_of(std::begin(kSystemMountPoints), std::end(kSystemMountPoints),
                                      [&](const char* place) { return *volume.mountPoint == place; });
      if (system) parts.push_back(u"the file system at " + Utf8ToText(*volume.mountPoint));
    }
    return parts;
  };
}

}  // namespace orvella
