#include "app/system_disk.h"

#include <algorithm>

#include "core/display_text.h"

namespace orvella {
namespace {

bool AtSystemPlace(const std::u16string& mountPoint) {
  return std::any_of(std::begin(kSystemMountPoints), std::end(kSystemMountPoints), [&](const char* place) {
    return mountPoint == std::u16string(place, place + std::char_traits<char>::length(place));
  });
}

std::u16string Joined(const std::vector<std::u16string>& parts) {
  std::u16string text;
  for (const std::u16string& part : parts) text += (text.empty() ? u"" : u", ") + DisplaySafe(part);
  return text;
}

}  // namespace

// The backend's answer first; the mount points are looked at whatever it
// says, so that a backend that cannot tell never hides the system's root.
std::vector<std::u16string> SystemUseOfDrive(Program& program, std::uint32_t driveNumber) {
  std::vector<std::u16string> parts;
  if (program.systemUseOf) parts = program.systemUseOf(driveNumber);
  for (const Unmount& fileSystem : program.os.DriveNamesOf(driveNumber).fileSystems) {
    if (!AtSystemPlace(fileSystem.mountPoint)) continue;
    const bool named = std::any_of(parts.begin(), parts.end(), [&](const std::u16string& part) {
      return part.find(u"at " + fileSystem.mountPoint + u" ") != std::u16string::npos ||
             part.ends_with(u"at " + fileSystem.mountPoint);
    });
    if (!named) parts.push_back(u"the file system at " + fileSystem.mountPoint + u" (" + fileSystem.device + u")");
  }
  return parts;
}

std::u16string SystemDiskTickText(const std::vector<std::u16string>& systemUse) {
  if (systemUse.empty()) return {};
  return u"I understand that this is the disk of the running system (" + Joined(systemUse) +
         u") and that erasing it stops this computer";
}

std::u16string SystemDiskRefusal(const std::vector<std::u16string>& systemUse) {
  return u"This drive holds the running system: " + Joined(systemUse) +
         u".\r\n\r\nErasing it destroys the system this computer is running now. Nothing was done. To erase "
         u"it anyway, tick \"I understand that this is the disk of the running system\" on the page first; "
         u"better, start the computer from another disk.";
}

}  // namespace orvella
