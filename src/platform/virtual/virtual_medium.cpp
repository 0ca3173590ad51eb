// The medium of a simulated drive: seeks, writes, reads and flushes, with
// the faults the description injects, recorded as written extents.
#include <algorithm>
#include <cmath>

#include "platform/virtual/virtual_os.h"

namespace orvella {
namespace {

void AddExtent(std::vector<ByteRange>& extents, ByteRange added) {
  std::vector<ByteRange> merged;
  for (const ByteRange& e : extents) {
    if (e.to < added.from || e.from > added.to) {
      merged.push_back(e);
    } else {
      added.from = std::min(added.from, e.from);
      added.to = std::max(added.to, e.to);
    }
  }
  merged.push_back(added);
  std::sort(merged.begin(), merged.end(), [](const ByteRange& a, const ByteRange& b) { return a.from < b.from; });
  extents = std::move(merged);
}

// The parts of `written` that lie outside every lost range.
std::vector<ByteRange> Landed(ByteRange written, const std::vector<ByteRange>& lost) {
  std::vector<ByteRange> parts = {written};
  for (const ByteRange& l : lost) {
    std::vector<ByteRange> kept;
    for (const ByteRange& p : parts) {
      if (l.to <= p.from || l.from >= p.to) {
        kept.push_back(p);
        continue;
      }
      if (p.from < l.from) kept.push_back({p.from, l.from});
      if (l.to < p.to) kept.push_back({l.to, p.to});
    }
    parts = std::move(kept);
  }
  return parts;
}

}  // namespace

std::uint8_t OldByteAt(std::int64_t offset) { return static_cast<std::uint8_t>(0x80 | (offset % 127)); }

VirtualOs::OpenObject* VirtualOs::FindDrive(Handle handle) {
  OpenObject* object = Find(handle);
  if (object == nullptr || object->isVolume) {
    Fail(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return object;
}

bool VirtualOs::SetFilePointerEx(Handle handle, std::int64_t distance, std::int64_t* newPointer,
                                 std::uint32_t method) {
  RequestRecord record = RequestRecord::Of(RequestRecord::Kind::Seek, handle);
  record.offset = distance;
  bool ok = false;
  if (OpenObject* object = FindDrive(handle)) {
    const VirtualDrive& drive = machine_.drives[object->index];
    const bool seekFault = std::any_of(drive.seekErrors.begin(), drive.seekErrors.end(),
                                       [&](const ByteRange& r) { return distance >= r.from && distance < r.to; });
    if (driveStates_[drive.number].unplugged) ok = Fail(drive.unplugError);
    else if (method != FILE_BEGIN || distance < 0) ok = Fail(ERROR_INVALID_PARAMETER);
    else if (seekFault) ok = Fail(ERROR_SEEK);
    else {
      object->position = distance;
      if (newPointer != nullptr) *newPointer = distance;
      ok = Succeed();
    }
  }
  Log(std::move(record), ok);
  return ok;
}

bool VirtualOs::AnyVolumeUnlocked(std::uint32_t driveNumber) const {
  for (const VirtualVolume& volume : machine_.volumes)
    if (volume.deviceNumber == driveNumber && !IsVolumeLocked(volume.name)) return true;
  return false;
}

std::uint32_t VirtualOs::WriteRefusal(const OpenObject& object, std::int64_t offset, std::uint32_t length) {
  const VirtualDrive& drive = machine_.drives[object.index];
  DriveState& state = driveStates_[drive.number];
  const auto sector = static_cast<std::int64_t>(drive.bytesPerSector);
  if (state.unplugged) return drive.unplugError;
  if ((object.access & GENERIC_WRITE) == 0) return ERROR_ACCESS_DENIED;
  if (offset % sector != 0 || length % sector != 0 || offset + length > drive.length) return ERROR_INVALID_PARAMETER;
  if (SecurityLocked(drive)) return ERROR_IO_DEVICE;  // the drive aborts the command
  if (drive.writeProtected) return ERROR_WRITE_PROTECT;
  if (drive.unplugAt && offset + length > *drive.unplugAt) {
    state.unplugged = true;
    return drive.unplugError;
  }
  for (const auto& [range, code] : drive.writeErrors)
    if (range.Overlaps(offset, length)) return code;
  return 0;
}

std::uint32_t VirtualOs::ReadRefusal(const OpenObject& object, std::int64_t offset, std::uint32_t length) {
  const VirtualDrive& drive = machine_.drives[object.index];
  const auto sector = static_cast<std::int64_t>(drive.bytesPerSector);
  if (driveStates_[drive.number].unplugged) return drive.unplugError;
  if ((object.access & GENERIC_READ) == 0) return ERROR_ACCESS_DENIED;
  if (sector == 0 || offset % sector != 0 || length % sector != 0 || offset + length > drive.length)
    return ERROR_INVALID_PARAMETER;
  if (SecurityLocked(drive)) return ERROR_IO_DEVICE;
  for (const auto& [range, code] : drive.readErrors)
    if (range.Overlaps(offset, length)) return code;
  return 0;
}

// A day per transfer at most: a drive described in code with an absurdly low
// speed still gives a time that a whole number of milliseconds can hold.
constexpr double kLongestTransferMilliseconds = 86'400'000.0;

void VirtualOs::PassTransferTime(const VirtualDrive& drive, std::uint32_t length) {
  if (drive.speedLimitBytesPerSecond <= 0) return;
  owedMilliseconds_ += std::min(length * 1000.0 / drive.speedLimitBytesPerSecond, kLongestTransferMilliseconds);
  const auto whole = static_cast<std::int64_t>(std::floor(owedMilliseconds_));
  owedMilliseconds_ -= static_cast<double>(whole);
  simulatedMilliseconds_ += whole;
  passTime_(whole);
}

bool VirtualOs::WriteFile(Handle handle, const void*, std::uint32_t length, std::uint32_t* written) {
  if (written != nullptr) *written = 0;
  RequestRecord record = RequestRecord::Of(RequestRecord::Kind::Write, handle);
  record.length = length;
  bool ok = false;
  if (OpenObject* object = FindDrive(handle)) {
    const VirtualDrive& drive = machine_.drives[object->index];
    MediumRecord& medium = driveStates_[drive.number].medium;
    const std::int64_t offset = object->position;
    record.offset = offset;
    if (const std::uint32_t refusal = WriteRefusal(*object, offset, length); refusal != 0) {
      ok = Fail(refusal);
    } else {
      PassTransferTime(drive, length);
      if (AnyVolumeUnlocked(drive.number)) ++medium.writesOverUnlockedVolumes;
      for (const ByteRange& part : Landed({offset, offset + length}, drive.lostWrites))
        AddExtent(medium.extents, part);
      object->position += length;
      if (written != nullptr) *written = length;
      ok = Succeed();
    }
    medium.writes.push_back({offset, length, ok});
  }
  Log(std::move(record), ok);
  return ok;
}

bool VirtualOs::ReadFile(Handle handle, void* buffer, std::uint32_t length, std::uint32_t* read) {
  if (read != nullptr) *read = 0;
  RequestRecord record = RequestRecord::Of(RequestRecord::Kind::Read, handle);
  record.length = length;
  bool ok = false;
  if (OpenObject* object = FindDrive(handle)) {
    const VirtualDrive& drive = machine_.drives[object->index];
    MediumRecord& medium = driveStates_[drive.number].medium;
    const std::int64_t offset = object->position;
    record.offset = offset;
    AdvanceOwnErase(drive);
    if (const std::uint32_t refusal = ReadRefusal(*object, offset, length); refusal != 0) {
      ok = Fail(refusal);
    } else {
      PassTransferTime(drive, length);
      FillFromDrive(drive, offset, length, static_cast<std::uint8_t*>(buffer));
      medium.bytesRead += length;
      object->position += length;
      if (read != nullptr) *read = length;
      ok = Succeed();
    }
  }
  Log(std::move(record), ok);
  return ok;
}

bool VirtualOs::FlushFileBuffers(Handle handle) {
  bool ok = false;
  if (const OpenObject* object = FindDrive(handle)) {
    const VirtualDrive& drive = machine_.drives[object->index];
    DriveState& state = driveStates_[drive.number];
    if (state.unplugged) ok = Fail(drive.unplugError);
    else if (drive.flushError != 0) ok = Fail(drive.flushError);
    else {
      ++state.medium.flushes;
      ok = Succeed();
    }
  }
  Log(RequestRecord::Of(RequestRecord::Kind::Flush, handle), ok);
  return ok;
}

}  // namespace orvella
