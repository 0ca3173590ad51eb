// Handles, path parsing and request dispatch of the Linux backend.
#include "platform/linux/linux_os.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/linux/error_mapping.h"

namespace orvella {

using namespace linux_backend;

namespace {

constexpr char16_t kDevicePrefix[] = u"\\\\.\\";
constexpr char16_t kDrivePrefix[] = u"PhysicalDrive";

// The part of "\\.\name" after the prefix, in ASCII; empty for anything else.
std::string DeviceNameOf(const std::u16string& path) {
  const std::u16string prefix = kDevicePrefix;
  if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0) return {};
  std::string name;
  for (std::size_t i = prefix.size(); i < path.size(); ++i) {
    if (path[i] <= u' ' || path[i] > 127 || path[i] == u'/' || path[i] == u'\\') return {};
    name.push_back(static_cast<char>(path[i]));
  }
  return name;
}

// "PhysicalDrive12" gives 12; -1 for anything else.
long DriveNumberOf(const std::string& name) {
  const std::string prefix(std::begin(kDrivePrefix), std::end(kDrivePrefix) - 1);
  if (name.size() <= prefix.size() || name.size() > prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
    return -1;
  long n = 0;
  for (std::size_t i = prefix.size(); i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return -1;
    n = n * 10 + (name[i] - '0');
  }
  return n;
}

}  // namespace

LinuxOs::LinuxOs() : ownedSyscalls_(MakeRealSyscalls()), sys_(*ownedSyscalls_) {}

LinuxOs::LinuxOs(Syscalls& syscalls, std::string root) : sys_(syscalls), tree_(std::move(root)) {}

LinuxOs::~LinuxOs() {
  while (!handles_.empty()) CloseHandle(handles_.begin()->first);
}

const std::vector<BlockDevice>& LinuxOs::Drives() {
  if (!drives_) drives_ = ListDrives(tree_);
  return *drives_;
}

bool LinuxOs::Fail(std::uint32_t error) {
  lastError_ = error;
  return false;
}

bool LinuxOs::Succeed() {
  lastError_ = 0;
  return true;
}

bool LinuxOs::FailErrno(int result, std::size_t drive) {
  const int errnoValue = -result;
  const bool lostDevice = errnoValue == EIO || errnoValue == ENODEV || errnoValue == ENXIO || errnoValue == ENODATA;
  if (lostDevice && !StillPresent(tree_, Drives()[drive])) return Fail(ERROR_DEV_NOT_EXIST);
  return Fail(WindowsErrorOf(errnoValue));
}

bool LinuxOs::Reply(const std::vector<std::uint8_t>& reply, void* out, std::uint32_t outSize, std::uint32_t* returned,
                    bool partialAllowed) {
  const std::uint32_t size = static_cast<std::uint32_t>(reply.size());
  const std::uint32_t least = partialAllowed ? std::min<std::uint32_t>(size, 8) : size;
  if (out == nullptr || outSize < least) return Fail(ERROR_INSUFFICIENT_BUFFER);
  const std::uint32_t n = std::min(size, outSize);
  std::memcpy(out, reply.data(), n);
  if (returned != nullptr) *returned = n;
  return Succeed();
}

LinuxOs::DiskObject* LinuxOs::FindDisk(Handle handle) {
  const auto it = handles_.find(handle);
  return it == handles_.end() ? nullptr : std::get_if<DiskObject>(&it->second);
}

LinuxOs::VolumeObject* LinuxOs::FindVolume(Handle handle) {
  const auto it = handles_.find(handle);
  return it == handles_.end() ? nullptr : std::get_if<VolumeObject>(&it->second);
}

Handle LinuxOs::Register(Object object) {
  const Handle handle = nextHandle_++;
  handles_.emplace(handle, std::move(object));
  Succeed();
  return handle;
}

Handle LinuxOs::CreateFileW(const std::u16string& path, std::uint32_t desiredAccess, std::uint32_t shareMode,
                            std::uint32_t, std::uint32_t) {
  const std::string name = DeviceNameOf(path);
  if (const long n = DriveNumberOf(name); n >= 0) {
    if (static_cast<std::size_t>(n) >= Drives().size()) {
      Fail(ERROR_FILE_NOT_FOUND);
      return INVALID_HANDLE_VALUE;
    }
    return OpenDisk(static_cast<std::size_t>(n), desiredAccess, shareMode == 0);
  }
  // Volumes need no open file until they are locked.
  if (const auto volume = name.empty() ? std::nullopt : FindVolumeNamed(name))
    return Register(VolumeObject{*volume, false, -1, {}});
  Fail(ERROR_FILE_NOT_FOUND);
  return INVALID_HANDLE_VALUE;
}

bool LinuxOs::CloseHandle(Handle handle) {
  const auto it = handles_.find(handle);
  if (it == handles_.end()) return Fail(ERROR_INVALID_HANDLE);
  if (auto* disk = std::get_if<DiskObject>(&it->second)) {
    const DiskObject closed = *disk;
    handles_.erase(it);
    sys_.Close(closed.fd);  // ends the flock too
    if (closed.writeFd >= 0) sys_.Close(closed.writeFd);
    if (closed.claimed) RereadOnceReleased(closed.drive);
  } else {
    VolumeObject volume = std::get<VolumeObject>(it->second);
    handles_.erase(it);
    ReleaseVolume(volume);
  }
  return Succeed();
}

bool LinuxOs::DeviceIoControl(Handle handle, std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                              std::uint32_t outSize, std::uint32_t* returned) {
  if (returned != nullptr) *returned = 0;
  if (DiskObject* disk = FindDisk(handle)) return DiskRequest(*disk, code, in, inSize, out, outSize, returned);
  if (VolumeObject* volume = FindVolume(handle)) return VolumeRequest(*volume, code, out, outSize, returned);
  return Fail(ERROR_INVALID_HANDLE);
}

std::u16string LinuxOs::SystemErrorText(std::uint32_t code) { return ErrorText(code); }

}  // namespace orvella
