// Volume requests of the simulated machine: the storage device number of a
// volume, and locking, dismounting and extended access. A lock lasts as long
// as the handle that took it.
#include "core/text.h"
#include "platform/byte_order.h"
#include "platform/virtual/virtual_os.h"

namespace orvella {

bool VirtualOs::VolumeRequest(OpenObject& object, std::uint32_t code, void* out, std::uint32_t outSize,
                              std::uint32_t* returned) {
  const VirtualVolume& volume = machine_.volumes[object.index];
  switch (code) {
    case IOCTL_STORAGE_GET_DEVICE_NUMBER:
      if (volume.queryError != 0) return Fail(volume.queryError);
      if (out == nullptr || outSize < layout::DeviceNumberSize) return Fail(ERROR_INSUFFICIENT_BUFFER);
      PutU32(out, layout::DeviceNumberDeviceType, volume.deviceType);
      PutU32(out, layout::DeviceNumberDeviceNumber, volume.deviceNumber);
      PutU32(out, layout::DeviceNumberPartitionNumber, volume.partition);
      if (returned != nullptr) *returned = layout::DeviceNumberSize;
      return Succeed();
    case FSCTL_LOCK_VOLUME:
      if (volume.lockError != 0) return Fail(volume.lockError);
      if (IsVolumeLocked(volume.name)) return Fail(ERROR_ACCESS_DENIED);
      object.locksVolume = true;
      return Succeed();
    case FSCTL_DISMOUNT_VOLUME:
      if (volume.dismountError != 0) return Fail(volume.dismountError);
      if (volume.mountPoint && object.unmounted.empty())
        object.unmounted.push_back(Unmount{Utf8ToText(*volume.mountPoint), u"\\\\.\\" + Utf8ToText(volume.name)});
      return Succeed();
    case FSCTL_ALLOW_EXTENDED_DASD_IO:
      if (volume.extendedIoError != 0) return Fail(volume.extendedIoError);
      return Succeed();
    default:
      return Fail(ERROR_INVALID_FUNCTION);
  }
}

// The volumes of the drive whose file systems are mounted and not yet
// taken down by a dismount.
DriveNames VirtualOs::DriveNamesOf(std::uint32_t driveNumber) {
  DriveNames names = Os::DriveNamesOf(driveNumber);
  for (const VirtualVolume& volume : machine_.volumes) {
    if (volume.deviceNumber != driveNumber || !volume.mountPoint || IsDismounted(volume.name)) continue;
    names.fileSystems.push_back(Unmount{Utf8ToText(*volume.mountPoint), u"\\\\.\\" + Utf8ToText(volume.name)});
  }
  return names;
}

std::vector<Unmount> VirtualOs::UnmountsOf(Handle handle) {
  const OpenObject* object = Find(handle);
  return object != nullptr && object->isVolume ? object->unmounted : std::vector<Unmount>{};
}

BusyVolume VirtualOs::DescribeBusyVolume(const std::u16string& name) {
  BusyVolume busy{name, {}, false, {}};
  for (const VirtualVolume& volume : machine_.volumes) {
    if (Utf8ToText(volume.name) != name) continue;
    if (volume.mountPoint) busy.mountPoints.push_back(Utf8ToText(*volume.mountPoint));
    busy.holdersKnown = volume.holders.has_value();
    if (volume.holders) busy.holders = *volume.holders;
  }
  return busy;
}

}  // namespace orvella
