#include "device/volume_locking.h"

#include <vector>

#include "device/drive_run.h"
#include "core/text.h"
#include "platform/byte_order.h"

namespace orvella {
namespace {

constexpr std::uint32_t kDriveStringsLength = 1024;
constexpr std::uint32_t kDeviceNumberReplyLength = 1024;
constexpr char16_t kVolumePrefix[] = u"\\\\.\\";

// The format-log lines that only debug mode writes.
void Trace(DriveRun& run, const std::u16string& text) {
  if (run.program.DebugMode) AddFormatLog(run, text);
}

Handle OpenVolume(Os& os, const std::u16string& name, std::uint32_t access) {
  return os.CreateFileW(kVolumePrefix + name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
}

bool SendVolumeRequest(Os& os, Handle volume, std::uint32_t code) {
  std::uint32_t returned = 0;
  return os.DeviceIoControl(volume, code, nullptr, 0, nullptr, 0, &returned);
}

std::u16string FoundPartitionLine(const std::u16string& name, const TVolumeDeviceNumber& info) {
  return u"Found partition " + name + u"   " + u"   DeviceType: " + UIntToStr(info.DeviceType) +
         u"   DeviceNumber: " + UIntToStr(info.DeviceNumber) + u"   Partition: " +
         UIntToStr(info.PartitionNumber);
}

// Locks, dismounts and extends an open volume of the drive, with the traces.
bool TakeVolume(DriveRun& run, Handle volume) {
  Os& os = run.program.os;
  Trace(run, u"Got handle!");
  Trace(run, u"Locking volume...");
  if (!SendVolumeRequest(os, volume, FSCTL_LOCK_VOLUME)) return false;
  Trace(run, u"Done.");
  Trace(run, u"Dismounting volume...");
  if (!SendVolumeRequest(os, volume, FSCTL_DISMOUNT_VOLUME)) return false;
  Trace(run, u"Done.");
  Trace(run, u"Extending I/O...");
  SendVolumeRequest(os, volume, FSCTL_ALLOW_EXTENDED_DASD_IO);  // best effort: the lock already holds
  Trace(run, u"Done.");
  return true;
}

// A file system taken down is said in the log and kept for the record,
// also when the lock then failed: the unmount happened all the same.
void ReportUnmounts(DriveRun& run, Handle volume, VolumeLocking& locking) {
  for (const Unmount& unmount : run.program.os.UnmountsOf(volume)) {
    AddFormatLog(run, u"Unmounted " + unmount.mountPoint + u" (" + unmount.device + u")");
    locking.unmounted.push_back(unmount);
  }
}

// Opens, locks, dismounts and extends one volume of the drive; on success
// its handle joins LockedVolumes. A refused step closes the handle at once.
bool LockVolume(DriveRun& run, const std::u16string& name, VolumeLocking& locking) {
  Os& os = run.program.os;
  Trace(run, u"Locking " + std::u16string(kVolumePrefix) + name);
  const Handle volume = OpenVolume(os, name, GENERIC_READ);
  if (volume == INVALID_HANDLE_VALUE) {
    AddFormatLogUnstamped(run, u"Invalid handle");
    return false;
  }
  const bool taken = TakeVolume(run, volume);
  ReportUnmounts(run, volume, locking);
  if (!taken) {
    locking.busyVolumes.push_back(os.DescribeBusyVolume(name));
    os.CloseHandle(volume);
    return false;
  }
  run.LockedVolumes.push_back(volume);
  return true;
}

}  // namespace

bool ListLogicalDrives(Os& os, DriveNameList& names) {
  names.fill(std::u16string());
  std::vector<char16_t> buffer(kDriveStringsLength, u'\0');
  const std::uint32_t length = os.GetLogicalDriveStringsW(kDriveStringsLength, buffer.data());
  // A result of 0 is a failure unless the system says all went well: then
  // the machine simply has no drive roots.
  if (length == 0) return os.GetLastError() == ERROR_SUCCESS;
  if (length >= kDriveStringsLength) return false;

  std::size_t slot = 0;
  for (std::size_t at = 0; at <= length && buffer[at] != u'\0' && slot < names.size(); ++slot) {
    std::size_t end = at;
    while (end < buffer.size() && buffer[end] != u'\0') ++end;
    std::u16string name(buffer.data() + at, end - at);
    at = end + 1;
    if (!name.empty() && name.back() == u'\\') name.pop_back();
    names[slot] = std::move(name);
  }
  return true;
}

void GetVolumeDeviceNumber(Os& os, const std::u16string& name, TVolumeDeviceNumber& info) {
  info = TVolumeDeviceNumber{};
  const Handle volume = OpenVolume(os, name, 0);
  if (volume == INVALID_HANDLE_VALUE) return;
  std::vector<std::uint8_t> reply(kDeviceNumberReplyLength, 0);
  std::uint32_t returned = 0;
  if (os.DeviceIoControl(volume, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, reply.data(),
                         kDeviceNumberReplyLength, &returned)) {
    info.DeviceType = GetU32(reply.data(), layout::DeviceNumberDeviceType);
    info.DeviceNumber = GetU32(reply.data(), layout::DeviceNumberDeviceNumber);
    info.PartitionNumber = GetU32(reply.data(), layout::DeviceNumberPartitionNumber);
    info.Found = true;
  }
  os.CloseHandle(volume);
}

VolumeLocking LockDeviceVolumes(DriveRun& run, std::int64_t deviceNumber) {
  VolumeLocking locking;
  Trace(run, u"Looking for partitions...");
  DriveNameList names;
  if (!ListLogicalDrives(run.program.os, names)) {
    AddFormatLog(run, u"The list of drive letters could not be read, so no volume could be locked.");
    return locking;
  }
  Trace(run, u"Done.");

  for (const std::u16string& name : names) {
    if (name.empty()) continue;
    Trace(run, u"Getting device data...");
    TVolumeDeviceNumber info;
    GetVolumeDeviceNumber(run.program.os, name, info);
    Trace(run, u"Done.");
    if (!info.Found) continue;
    Trace(run, FoundPartitionLine(name, info));
    // Only the number tells whether the volume lives on the drive.
    if (info.DeviceNumber != deviceNumber) continue;
    if (!LockVolume(run, name, locking)) return locking;
  }
  locking.locked = true;
  return locking;
}

std::vector<std::u16string> BusyVolumeLines(const BusyVolume& volume) {
  std::u16string where;
  for (const std::u16string& point : volume.mountPoints) where += (where.empty() ? u", mounted on " : u" and ") + point;
  std::vector<std::u16string> lines{u"Volume " + volume.name + where + u" is in use."};
  if (!volume.holdersKnown) {
    lines.push_back(u"Which processes hold it cannot be told on this system.");
  } else if (volume.holders.empty()) {
    lines.push_back(u"No process was found holding files open on it.");
  } else {
    for (const VolumeHolder& holder : volume.holders)
      lines.push_back(u"Held by process " + UIntToStr(holder.pid) + u" (" + holder.command + u")");
  }
  return lines;
}

void ReleaseDeviceVolumes(DriveRun& run) {
  for (const Handle volume : run.LockedVolumes) run.program.os.CloseHandle(volume);
  run.LockedVolumes.clear();
}

}  // namespace orvella
