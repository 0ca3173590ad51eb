#include "device/volume_locking.h"

#include <vector>

#include "core/log_sinks.h"
#include "core/program.h"
#include "core/text.h"
#include "platform/byte_order.h"

namespace orvella {
namespace {

constexpr std::uint32_t kDriveStringsLength = 1024;
constexpr std::uint32_t kDeviceNumberReplyLength = 1024;
constexpr char16_t kVolumePrefix[] = u"\\\\.\\";

// The format-log lines that only debug mode writes.
void Trace(Program& program, const std::u16string& text) {
  if (program.DebugMode) AddFormatLog(program, text);
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
bool TakeVolume(Program& program, Handle volume) {
  Os& os = program.os;
  Trace(program, u"Got handle!");
  Trace(program, u"Locking volume...");
  if (!SendVolumeRequest(os, volume, FSCTL_LOCK_VOLUME)) return false;
  Trace(program, u"Done.");
  Trace(program, u"Dismounting volume...");
  if (!SendVolumeRequest(os, volume, FSCTL_DISMOUNT_VOLUME)) return false;
  Trace(program, u"Done.");
  Trace(program, u"Extending I/O...");
  SendVolumeRequest(os, volume, FSCTL_ALLOW_EXTENDED_DASD_IO);  // best effort: the lock already holds
  Trace(program, u"Done.");
  return true;
}

// A file system taken down is said in the log and kept for the record,
// also when the lock then failed: the unmount happened all the same.
void ReportUnmounts(Program& program, Handle volume) {
  for (const Unmount& unmount : program.os.UnmountsOf(volume)) {
    AddFormatLog(program, u"Unmounted " + unmount.mountPoint + u" (" + unmount.device + u")");
    program.Unmounted.push_back(unmount);
  }
}

// Opens, locks, dismounts and extends one volume of the drive; on success
// its handle joins LockedVolumes. A refused step closes the handle at once.
bool LockVolume(Program& program, const std::u16string& name) {
  Trace(program, u"Locking " + std::u16string(kVolumePrefix) + name);
  const Handle volume = OpenVolume(program.os, name, GENERIC_READ);
  if (volume == INVALID_HANDLE_VALUE) {
    AddFormatLogUnstamped(program, u"Invalid handle");
    return false;
  }
  const bool taken = TakeVolume(program, volume);
  ReportUnmounts(program, volume);
  if (!taken) {
    program.BusyVolumes.push_back(program.os.DescribeBusyVolume(name));
    program.os.CloseHandle(volume);
    return false;
  }
  program.LockedVolumes.push_back(volume);
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

bool LockDeviceVolumes(Program& program, std::int64_t deviceNumber) {
  program.Unmounted.clear();
  program.BusyVolumes.clear();
  Trace(program, u"Looking for partitions...");
  DriveNameList names;
  if (!ListLogicalDrives(program.os, names)) {
    AddFormatLog(program, u"The list of drive letters could not be read, so no volume could be locked.");
    return false;
  }
  Trace(program, u"Done.");

  for (const std::u16string& name : names) {
    if (name.empty()) continue;
    Trace(program, u"Getting device data...");
    TVolumeDeviceNumber info;
    GetVolumeDeviceNumber(program.os, name, info);
    Trace(program, u"Done.");
    if (!info.Found) continue;
    Trace(program, FoundPartitionLine(name, info));
    // Only the number tells whether the volume lives on the drive.
    if (info.DeviceNumber != deviceNumber) continue;
    if (!LockVolume(program, name)) return false;
  }
  return true;
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

void ReleaseDeviceVolumes(Program& program) {
  for (const Handle volume : program.LockedVolumes) program.os.CloseHandle(volume);
  program.LockedVolumes.clear();
}

}  // namespace orvella
