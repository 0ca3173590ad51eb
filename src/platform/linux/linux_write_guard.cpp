// The guard against writing over a volume the system still uses. A full
// look reads the mount table and the swap areas and walks every volume of
// the drive; the looks between writes are short ones while the kernel
// reports no change to either table (TableWatch), no partition came or
// went and our own locks hold what they held: then only a stacked device
// can have taken a volume, which its holders folder shows.
#include "platform/linux/linux_os.h"

namespace orvella {

using namespace linux_backend;

namespace {

// How long a check that no volume of the drive is in use counts before the
// next write checks again.
constexpr auto kWriteGuardPeriod = std::chrono::milliseconds(100);

}  // namespace

// Writing over a volume the system still uses would corrupt it, whatever the
// program believes it locked; Windows refuses such writes too. Anything on
// the drive that is mounted, swapped on or held by a stacked device, and not
// held by our own volume locks, refuses the write with "access denied". A
// disk we claim whole needs no look: the kernel lets nobody else in.
std::uint32_t LinuxOs::WriteBlocker(DiskObject& disk) {
  if (disk.claimed) return 0;
  const auto now = std::chrono::steady_clock::now();
  if (disk.guardPassed && now - disk.guardCheckedAt < kWriteGuardPeriod) return 0;
  disk.guardCheckedAt = now;
  disk.guardPassed = DriveUnused(disk);
  return disk.guardPassed ? 0 : ERROR_ACCESS_DENIED;
}

// The table generation is taken before anything is read, so that a change
// during the look shows at the next one.
bool LinuxOs::DriveUnused(DiskObject& disk) {
  const std::uint64_t generation = tables_.Generation();
  std::vector<std::string> entries = tree_.List("/sys/block/" + Drives()[disk.drive].name);
  if (disk.lastLook && disk.lastLook->generation == generation && disk.lastLook->entries == entries &&
      disk.lastLook->ours == OursAmong(disk.lastLook->volumes))
    return !AnyHeldByStackedDevice(*disk.lastLook);
  disk.lastLook.reset();
  ++fullLooks_;
  std::vector<Volume> volumes = VolumesOfDrive(tree_, Drives(), disk.drive);
  if (AnyInUse(volumes)) return false;
  std::vector<bool> ours = OursAmong(volumes);
  disk.lastLook = UseLook{generation, std::move(entries), std::move(volumes), std::move(ours)};
  return true;
}

std::vector<bool> LinuxOs::OursAmong(const std::vector<Volume>& volumes) const {
  std::vector<bool> ours;
  for (const Volume& volume : volumes) ours.push_back(LockedByUs(volume));
  return ours;
}

bool LinuxOs::AnyHeldByStackedDevice(const UseLook& look) const {
  for (std::size_t i = 0; i < look.volumes.size(); ++i)
    if (!look.ours[i] && VolumeUse::HasHolders(tree_, drives_.value(), look.volumes[i])) return true;
  return false;
}

// From mountinfo, the swaps and the sysfs holders only: judging a volume
// opens nothing.
bool LinuxOs::AnyInUse(const std::vector<Volume>& volumes) {
  const VolumeUse use = VolumeUse::Read(tree_);
  for (const Volume& volume : volumes)
    if (!LockedByUs(volume) && use.InUse(tree_, Drives(), volume)) return true;
  return false;
}

}  // namespace orvella
