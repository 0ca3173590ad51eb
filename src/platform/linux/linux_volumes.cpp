// The volumes of the drives: the drive strings list what is in use, judged
// from mountinfo, the swaps and the sysfs holders alone (no volume of any
// disk is opened for it), and locking a volume unmounts it (a busy file
// system refuses, as open files refuse a lock on Windows; never lazily) and
// then holds its block device with O_EXCL, which swap, stacked devices and
// other exclusive users refuse. Closing the handle ends the hold.
#include <fcntl.h>

#include <cerrno>
#include <cstring>

#include "core/text.h"
#include "platform/linux/error_mapping.h"
#include "platform/linux/linux_os.h"
#include "platform/linux/storage_replies.h"
#include "platform/linux/volume_holders.h"

namespace orvella {

using namespace linux_backend;

std::optional<Volume> LinuxOs::FindVolumeNamed(const std::string& name) {
  for (std::size_t drive = 0; drive < Drives().size(); ++drive)
    for (const Volume& volume : VolumesOfDrive(tree_, Drives(), drive))
      if (volume.name == name) return volume;
  return std::nullopt;
}

std::uint32_t LinuxOs::GetLogicalDriveStringsW(std::uint32_t bufferLength, char16_t* buffer) {
  const VolumeUse use = VolumeUse::Read(tree_);
  std::u16string list;
  for (std::size_t drive = 0; drive < Drives().size(); ++drive) {
    for (const Volume& volume : VolumesOfDrive(tree_, Drives(), drive)) {
      if (!use.InUse(tree_, Drives(), volume)) continue;
      for (char c : volume.name) list.push_back(static_cast<char16_t>(c));
      list += u"\\";
      list.push_back(u'\0');
    }
  }
  const auto needed = static_cast<std::uint32_t>(list.size());
  if (buffer == nullptr || needed + 1 > bufferLength) {
    Succeed();
    return needed + 1;
  }
  std::memcpy(buffer, list.data(), list.size() * sizeof(char16_t));
  buffer[needed] = u'\0';
  Succeed();
  return needed;
}

bool LinuxOs::VolumeRequest(VolumeObject& volume, std::uint32_t code, void* out, std::uint32_t outSize,
                            std::uint32_t* returned) {
  switch (code) {
    case IOCTL_STORAGE_GET_DEVICE_NUMBER:
      return Reply(DeviceNumberReply(static_cast<std::uint32_t>(volume.volume.drive), volume.volume.partition), out,
                   outSize, returned, false);
    case FSCTL_LOCK_VOLUME: return LockVolume(volume);
    case FSCTL_DISMOUNT_VOLUME:
    case FSCTL_ALLOW_EXTENDED_DASD_IO:
      // Locking has unmounted the volume and holds it; without the lock
      // nothing is dismounted behind a user's back.
      return volume.locked ? Succeed() : Fail(ERROR_ACCESS_DENIED);
    default: return Fail(ERROR_INVALID_FUNCTION);
  }
}

bool LinuxOs::LockedByUs(const Volume& volume) const {
  for (const auto& [handle, object] : handles_) {
    const auto* held = std::get_if<VolumeObject>(&object);
    if (held != nullptr && held->locked && held->volume.device == volume.device) return true;
  }
  return false;
}

bool LinuxOs::LockVolume(VolumeObject& volume) {
  if (volume.locked) return Succeed();
  if (LockedByUs(volume.volume)) return Fail(ERROR_ACCESS_DENIED);
  std::vector<std::string> mountPoints = VolumeUse::Read(tree_).MountPointsOf(tree_, volume.volume);
  const std::u16string device = Utf8ToText(DeviceNodePath(volume.volume.name));
  for (auto it = mountPoints.rbegin(); it != mountPoints.rend(); ++it) {
    const int r = sys_.Unmount(*it);
    if (r < 0 && r != -EINVAL) return Fail(WindowsErrorOf(-r));
    if (r == 0) volume.unmounted.push_back(Unmount{Utf8ToText(*it), device});
  }
  if (!VolumeUse::Read(tree_).MountPointsOf(tree_, volume.volume).empty()) return Fail(ERROR_SHARING_VIOLATION);
  const int fd = sys_.Open(tree_.Locate(DeviceNodePath(volume.volume.name)), O_RDONLY | O_EXCL | O_CLOEXEC);
  if (fd < 0) return Fail(WindowsOpenErrorOf(-fd));
  volume.holdFd = fd;
  volume.locked = true;
  return Succeed();
}

void LinuxOs::ReleaseVolume(VolumeObject& volume) {
  if (!volume.locked) return;
  if (volume.holdFd >= 0) sys_.Close(volume.holdFd);
  volume.holdFd = -1;
  volume.locked = false;
  RereadOnceReleased(volume.volume.drive);
}

std::vector<Unmount> LinuxOs::UnmountsOf(Handle handle) {
  const VolumeObject* volume = FindVolume(handle);
  return volume == nullptr ? std::vector<Unmount>{} : volume->unmounted;
}

BusyVolume LinuxOs::DescribeBusyVolume(const std::u16string& name) {
  BusyVolume busy{name, {}, false, {}};
  const std::optional<Volume> volume = FindVolumeNamed(TextToUtf8(name));
  if (!volume) return busy;
  for (const std::string& point : VolumeUse::Read(tree_).MountPointsOf(tree_, *volume))
    busy.mountPoints.push_back(Utf8ToText(point));
  if (std::optional<std::vector<VolumeHolder>> holders = ProcessesHolding(tree_, volume->device)) {
    busy.holdersKnown = true;
    busy.holders = std::move(*holders);
  }
  return busy;
}

}  // namespace orvella
