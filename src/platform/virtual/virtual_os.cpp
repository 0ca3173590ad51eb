// Handles, opening and closing, request dispatch and the request log of the
// simulated machine.
#include "platform/virtual/virtual_os.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>

#include "platform/byte_order.h"

namespace orvella {
namespace {

constexpr char16_t kDrivePrefix[] = u"\\\\.\\PhysicalDrive";
constexpr char16_t kVolumePrefix[] = u"\\\\.\\";

// "\\.\PhysicalDriveN" gives N; anything else gives -1.
std::int64_t DriveNumberOf(const std::u16string& path) {
  const std::u16string prefix = kDrivePrefix;
  if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0) return -1;
  std::int64_t n = 0;
  for (std::size_t i = prefix.size(); i < path.size(); ++i) {
    if (path[i] < u'0' || path[i] > u'9' || n > 100000) return -1;
    n = n * 10 + (path[i] - u'0');
  }
  return n;
}

std::string VolumeNameOf(const std::u16string& path) {
  const std::u16string prefix = kVolumePrefix;
  if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0) return {};
  std::string name;
  for (std::size_t i = prefix.size(); i < path.size(); ++i) {
    if (path[i] > 127) return {};
    name.push_back(static_cast<char>(path[i]));
  }
  return name;
}

void SleepRealTime(std::int64_t ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

std::int64_t MediumRecord::BytesWritten() const {
  std::int64_t total = 0;
  for (const auto& e : extents) total += e.to - e.from;
  return total;
}

bool MediumRecord::Covers(std::int64_t from, std::int64_t to) const {
  for (const auto& e : extents)
    if (e.from <= from && e.to >= to) return true;
  return from >= to;
}

VirtualOs::VirtualOs(VirtualMachine machine, std::function<void(std::int64_t ms)> passTime)
    : machine_(std::move(machine)), passTime_(passTime ? std::move(passTime) : SleepRealTime) {
  for (const auto& drive : machine_.drives) {
    DriveState& state = driveStates_[drive.number];
    if (!drive.ownErase) continue;
    // A sanitize found running began just now; one found failed has run.
    state.ownErase.state = drive.ownErase->state;
    state.ownErase.ran = drive.ownErase->state == VirtualOwnErase::State::Failed;
  }
}

bool VirtualOs::Fail(std::uint32_t error) {
  lastError_ = error;
  return false;
}

bool VirtualOs::Succeed() {
  lastError_ = 0;
  return true;
}

void VirtualOs::Log(RequestRecord record, bool ok) {
  record.ok = ok;
  record.error = lastError_;
  requests_.push_back(std::move(record));
}

VirtualOs::OpenObject* VirtualOs::Find(Handle handle) {
  const auto it = handles_.find(handle);
  return it == handles_.end() ? nullptr : &it->second;
}

Handle VirtualOs::CreateFileW(const std::u16string& path, std::uint32_t desiredAccess,
                              std::uint32_t shareMode, std::uint32_t, std::uint32_t) {
  RequestRecord record = RequestRecord::Of(RequestRecord::Kind::Open, INVALID_HANDLE_VALUE);
  record.path = path;
  record.access = desiredAccess;
  record.share = shareMode;
  OpenObject object;
  object.access = desiredAccess;
  std::uint32_t error = ERROR_FILE_NOT_FOUND;
  bool found = false;

  if (const std::int64_t n = DriveNumberOf(path); n >= 0) {
    for (std::size_t i = 0; i < machine_.drives.size(); ++i) {
      const VirtualDrive& drive = machine_.drives[i];
      if (drive.number != n) continue;
      found = true;
      object.index = i;
      const bool exclusiveReadWrite = (desiredAccess & GENERIC_WRITE) != 0 && shareMode == 0;
      if (driveStates_[drive.number].unplugged) error = drive.unplugError;
      else if (drive.openError != 0) error = drive.openError;
      else if (exclusiveReadWrite && drive.exclusiveOpenError != 0) error = drive.exclusiveOpenError;
      else error = 0;
    }
  } else if (const std::string name = VolumeNameOf(path); !name.empty()) {
    for (std::size_t i = 0; i < machine_.volumes.size(); ++i) {
      const VirtualVolume& volume = machine_.volumes[i];
      if (volume.name != name) continue;
      found = true;
      object.isVolume = true;
      object.index = i;
      const bool forRead = (desiredAccess & GENERIC_READ) != 0;
      if (volume.openError != 0) error = volume.openError;
      else if (forRead && volume.readOpenError != 0) error = volume.readOpenError;
      else error = 0;
    }
  }

  Handle handle = INVALID_HANDLE_VALUE;
  if (found && error == 0) {
    handle = nextHandle_++;
    handles_[handle] = object;
    Succeed();
  } else {
    Fail(error);
  }
  record.handle = handle;
  Log(std::move(record), handle != INVALID_HANDLE_VALUE);
  return handle;
}

bool VirtualOs::CloseHandle(Handle handle) {
  const bool ok = handles_.erase(handle) == 1;  // a volume's lock ends with its handle
  ok ? Succeed() : Fail(ERROR_INVALID_HANDLE);
  Log(RequestRecord::Of(RequestRecord::Kind::Close, handle), ok);
  return ok;
}

const RequestFault* VirtualOs::MatchFault(const VirtualDrive& drive, std::uint32_t code, const void* in,
                                          std::uint32_t inSize) const {
  for (const RequestFault& fault : drive.requestFaults) {
    if (fault.controlCode != code) continue;
    if (fault.propertyId) {
      if (in == nullptr || inSize < 4 || GetU32(in, 0) != *fault.propertyId) continue;
    }
    // ATA registers sit in the SENDCMDINPARAMS block, which a miniport
    // request carries after its 28-byte header; the task file request has
    // them in its current task file.
    const std::size_t regs = code == IOCTL_ATA_PASS_THROUGH ? layout::AtaPtCurrentTaskFile
                                                            : 4 + (code == IOCTL_SCSI_MINIPORT ? 28 : 0);
    if (fault.ataCommand) {
      if (in == nullptr || inSize < regs + 7 || GetU8(in, regs + 6) != *fault.ataCommand) continue;
    }
    if (fault.ataFeature) {
      if (in == nullptr || inSize < regs + 1 || GetU8(in, regs) != *fault.ataFeature) continue;
    }
    return &fault;
  }
  return nullptr;
}

bool VirtualOs::DeviceIoControl(Handle handle, std::uint32_t code, const void* in, std::uint32_t inSize,
                                void* out, std::uint32_t outSize, std::uint32_t* returned) {
  RequestRecord record = RequestRecord::Of(RequestRecord::Kind::Ioctl, handle);
  record.controlCode = code;
  record.inLength = inSize;
  record.outLength = outSize;
  if (in != nullptr && inSize > 0) {
    const auto* bytes = static_cast<const std::uint8_t*>(in);
    record.input.assign(bytes, bytes + inSize);
  }
  if (returned != nullptr) *returned = 0;

  bool ok = false;
  OpenObject* object = Find(handle);
  if (object == nullptr) {
    ok = Fail(ERROR_INVALID_HANDLE);
  } else if (object->isVolume) {
    ok = VolumeRequest(*object, code, out, outSize, returned);
  } else {
    const VirtualDrive& drive = machine_.drives[object->index];
    const RequestFault* fault = MatchFault(drive, code, in, inSize);
    AdvanceOwnErase(drive);  // a drive may go away while it erases itself
    if (driveStates_[drive.number].unplugged) {
      ok = Fail(drive.unplugError);
    } else if (fault != nullptr && !fault->replyBytes) {
      ok = Fail(fault->error);
    } else {
      if (IsAtaRequest(code)) ok = AtaRequest(*object, code, in, inSize, out, outSize, returned);
      else ok = StorageRequest(*object, code, in, inSize, out, outSize, returned);
      if (ok && fault != nullptr && returned != nullptr) *returned = *fault->replyBytes;
    }
  }
  Log(std::move(record), ok);
  return ok;
}

std::u16string VirtualOs::SystemErrorText(std::uint32_t code) {
  switch (code) {
    case ERROR_SUCCESS: return u"The operation completed successfully.\r\n";
    case ERROR_INVALID_FUNCTION: return u"Incorrect function.\r\n";
    case ERROR_FILE_NOT_FOUND: return u"The system cannot find the file specified.\r\n";
    case ERROR_ACCESS_DENIED: return u"Access is denied.\r\n";
    case ERROR_INVALID_HANDLE: return u"The handle is invalid.\r\n";
    case ERROR_NOT_ENOUGH_MEMORY: return u"Not enough memory resources are available to process this command.\r\n";
    case ERROR_WRITE_PROTECT: return u"The media is write protected.\r\n";
    case ERROR_NOT_READY: return u"The device is not ready.\r\n";
    case ERROR_SHARING_VIOLATION:
      return u"The process cannot access the file because it is being used by another process.\r\n";
    case ERROR_NOT_SUPPORTED: return u"The request is not supported.\r\n";
    case ERROR_DEV_NOT_EXIST: return u"The specified network resource or device is no longer available.\r\n";
    case ERROR_INVALID_PARAMETER: return u"The parameter is incorrect.\r\n";
    case ERROR_SEM_TIMEOUT: return u"The semaphore timeout period has expired.\r\n";
    case ERROR_INSUFFICIENT_BUFFER: return u"The data area passed to a system call is too small.\r\n";
    case ERROR_IO_DEVICE: return u"The request could not be performed because of an I/O device error.\r\n";
    case ERROR_DISK_FULL: return u"There is not enough space on the disk.\r\n";
    default: return u"Unknown error.\r\n";
  }
}

std::uint32_t VirtualOs::GetLogicalDriveStringsW(std::uint32_t bufferLength, char16_t* buffer) {
  requests_.push_back(RequestRecord::Of(RequestRecord::Kind::DriveStrings, 0));
  if (machine_.driveStringsFail) {
    Fail(ERROR_INVALID_FUNCTION);
    return 0;
  }
  std::u16string list;
  for (const auto& volume : machine_.volumes) {
    for (char c : volume.name) list.push_back(static_cast<char16_t>(c));
    list += u"\\";
    list.push_back(u'\0');
  }
  const auto needed = static_cast<std::uint32_t>(list.size());
  if (needed + 1 > bufferLength) {
    Succeed();
    return needed + 1;  // the size the buffer would need
  }
  std::memcpy(buffer, list.data(), list.size() * sizeof(char16_t));
  buffer[needed] = u'\0';
  Succeed();
  return needed;
}

void VirtualOs::Sleep(std::uint32_t milliseconds) {
  simulatedMilliseconds_ += milliseconds;
  passTime_(milliseconds);
}

void* VirtualOs::AllocateAligned(std::size_t size) {
  if (allocationFails_) return nullptr;
  return ::operator new(size, std::align_val_t{4096}, std::nothrow);
}

void VirtualOs::FreeAligned(void* memory) { ::operator delete(memory, std::align_val_t{4096}); }

std::u16string VirtualOs::AnsiToText(const std::uint8_t* bytes, std::size_t count) {
  // The simulated machine's ANSI code page is Latin-1.
  std::u16string text;
  text.reserve(count);
  for (std::size_t i = 0; i < count; ++i) text.push_back(static_cast<char16_t>(bytes[i]));
  return text;
}

bool VirtualOs::IsAtaRequest(std::uint32_t code) {
  return code == SMART_GET_VERSION || code == SMART_SEND_DRIVE_COMMAND || code == SMART_RCV_DRIVE_DATA ||
         code == IOCTL_SCSI_MINIPORT || code == IOCTL_SCSI_GET_ADDRESS || code == IOCTL_ATA_PASS_THROUGH;
}

const MediumRecord& VirtualOs::Medium(std::uint32_t driveNumber) const {
  return driveStates_.at(driveNumber).medium;
}

bool VirtualOs::IsUnplugged(std::uint32_t driveNumber) const { return driveStates_.at(driveNumber).unplugged; }

bool VirtualOs::IsVolumeLocked(const std::string& name) const {
  for (const auto& [handle, object] : handles_)
    if (object.isVolume && object.locksVolume && machine_.volumes[object.index].name == name) return true;
  return false;
}

bool VirtualOs::IsDismounted(const std::string& name) const {
  for (const auto& [handle, object] : handles_)
    if (object.isVolume && !object.unmounted.empty() && machine_.volumes[object.index].name == name) return true;
  return false;
}

}  // namespace orvella
