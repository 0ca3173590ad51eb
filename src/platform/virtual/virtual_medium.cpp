// The medium of a simulated drive: seeks, writes and flushes, with the
// faults the description injects, recorded as written extents.
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

}  // namespace

bool VirtualOs::SetFilePointerEx(Handle handle, std::int64_t distance, std::int64_t* newPointer,
                                 std::uint32_t method) {
  RequestRecord record = RequestRecord::Of(RequestRecord::Kind::Seek, handle);
  record.offset = distance;
  OpenObject* object = Find(handle);
  bool ok = false;
  if (object == nullptr || object->isVolume) {
    ok = Fail(ERROR_INVALID_HANDLE);
  } else {
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

bool VirtualOs::WriteFile(Handle handle, const void*, std::uint32_t length, std::uint32_t* written) {
  if (written != nullptr) *written = 0;
  OpenObject* object = Find(handle);
  RequestRecord record = RequestRecord::Of(RequestRecord::Kind::Write, handle);
  record.offset = object != nullptr ? object->position : 0;
  record.length = length;
  bool ok = false;
  if (object == nullptr || object->isVolume) {
    ok = Fail(ERROR_INVALID_HANDLE);
  } else {
    const VirtualDrive& drive = machine_.drives[object->index];
    DriveState& state = driveStates_[drive.number];
    const std::int64_t offset = object->position;
    const auto sector = static_cast<std::int64_t>(drive.bytesPerSector);
    std::uint32_t error = 0;
    for (const auto& [range, code] : drive.writeErrors)
      if (error == 0 && range.Overlaps(offset, length)) error = code;

    if (state.unplugged) ok = Fail(drive.unplugError);
    else if ((object->access & GENERIC_WRITE) == 0) ok = Fail(ERROR_ACCESS_DENIED);
    else if (offset % sector != 0 || length % sector != 0 || offset + length > drive.length)
      ok = Fail(ERROR_INVALID_PARAMETER);
    else if (drive.writeProtected) ok = Fail(ERROR_WRITE_PROTECT);
    else if (drive.unplugAt && offset + length > *drive.unplugAt) {
      state.unplugged = true;
      ok = Fail(drive.unplugError);
    } else if (error != 0) ok = Fail(error);
    else {
      if (drive.speedLimitBytesPerSecond > 0) {
        owedMilliseconds_ += length * 1000.0 / drive.speedLimitBytesPerSecond;
        const auto whole = static_cast<std::int64_t>(std::floor(owedMilliseconds_));
        owedMilliseconds_ -= static_cast<double>(whole);
        passTime_(whole);
      }
      if (AnyVolumeUnlocked(drive.number)) ++state.medium.writesOverUnlockedVolumes;
      AddExtent(state.medium.extents, {offset, offset + length});
      object->position += length;
      if (written != nullptr) *written = length;
      ok = Succeed();
    }
    state.medium.writes.push_back({offset, length, ok});
  }
  Log(std::move(record), ok);
  return ok;
}

bool VirtualOs::FlushFileBuffers(Handle handle) {
  OpenObject* object = Find(handle);
  bool ok = false;
  if (object == nullptr || object->isVolume) {
    ok = Fail(ERROR_INVALID_HANDLE);
  } else {
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
