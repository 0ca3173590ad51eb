// Taking the volumes (drive letters) that live on a physical drive before it
// is erased: each one is opened, locked for exclusive use, dismounted and
// switched to extended direct access, and its handle is kept in the drive
// run's LockedVolumes for the whole erase, because a lock lasts only as
// long as its handle. ReleaseDeviceVolumes closes them all afterwards.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/os.h"

namespace orvella {

class DriveRun;

inline constexpr std::size_t kDriveNameSlots = 128;
using DriveNameList = std::array<std::u16string, kDriveNameSlots>;

// The storage device number the system reports for one volume. All zero and
// Found false until the query succeeds.
struct TVolumeDeviceNumber {
  bool Found = false;
  std::uint32_t DeviceType = 0;
  std::uint32_t DeviceNumber = 0;
  std::uint32_t PartitionNumber = 0;
};

// Fills `names` with the machine's drive roots less their trailing
// backslash ("C:"), in the order the system lists them; unused slots stay
// empty. Returns false when the list could not be had (the query failed or
// needed 1,024 characters or more): then every slot is empty.
bool ListLogicalDrives(Os& os, DriveNameList& names);

// Asks the volume `name` ("C:") for its storage device number.
void GetVolumeDeviceNumber(Os& os, const std::u16string& name, TVolumeDeviceNumber& info);

// What one locking attempt did.
struct VolumeLocking {
  // Every volume of the drive was taken; false also when the machine's
  // volumes could not be listed, since then nobody knows what is mounted on
  // the drive.
  bool locked = false;
  // The file systems that the attempt took down, in order, also those of
  // an attempt that then failed.
  std::vector<Unmount> unmounted;
  // The volume that refused the lock, with the processes holding it.
  std::vector<BusyVolume> busyVolumes;
};

// Locks and dismounts every volume whose device number equals
// `deviceNumber`, keeping the handles in the run's LockedVolumes. In debug
// mode every step is traced into the run's format log. Every file system
// that a lock took down is logged ("Unmounted /mnt/data (/dev/sdb1)").
VolumeLocking LockDeviceVolumes(DriveRun& run, std::int64_t deviceNumber);

// The log lines that name a volume that refused the lock: where it is
// mounted, then each process that holds it (or that none was found, or that
// the system cannot tell).
std::vector<std::u16string> BusyVolumeLines(const BusyVolume& volume);

// Closes every handle in the run's LockedVolumes, first to last, which ends
// the locks, and empties the list.
void ReleaseDeviceVolumes(DriveRun& run);

}  // namespace orvella
