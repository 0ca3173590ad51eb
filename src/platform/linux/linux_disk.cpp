// The physical drives: opening, the disk and storage queries, positioned
// direct writes and reads, flushing and the partition table re-read.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>

#include <cerrno>

#include "platform/byte_order.h"
#include "platform/linux/error_mapping.h"
#include "platform/linux/linux_os.h"
#include "platform/linux/storage_replies.h"

namespace orvella {

using namespace linux_backend;

namespace {

// A program that holds a drive's flock keeps it; udev holds it for a moment
// while it looks at a drive, which a few short retries ride out.
constexpr int kFlockAttempts = 5;
constexpr std::uint32_t kFlockRetryMs = 20;
// The partition table re-read meets EBUSY while udev has a partition open.
constexpr int kRereadAttempts = 10;
constexpr std::uint32_t kRereadRetryMs = 50;
// How long a check that no volume of the drive is in use counts before the
// next write checks again.
constexpr auto kWriteGuardPeriod = std::chrono::milliseconds(100);

constexpr std::uint32_t FILE_CURRENT = 1;
constexpr std::uint32_t FILE_END = 2;

}  // namespace

Handle LinuxOs::OpenDisk(std::size_t drive, std::uint32_t access, bool exclusive) {
  const BlockDevice& device = Drives()[drive];
  if (!StillPresent(tree_, device)) {
    Fail(ERROR_DEV_NOT_EXIST);
    return INVALID_HANDLE_VALUE;
  }
  DiskObject disk;
  disk.drive = drive;
  disk.writable = (access & GENERIC_WRITE) != 0;
  disk.writeProtected = disk.writable && ReadDriveFacts(tree_, device.name).readOnly;
  const std::string node = tree_.Locate(DeviceNodePath(device.name));
  const int readWrite = disk.writable && !disk.writeProtected ? O_RDWR : O_RDONLY;
  const int direct = disk.writable ? O_DIRECT : 0;
  int fd = sys_.Open(node, readWrite | direct | O_CLOEXEC);
  if (fd == -EROFS && readWrite == O_RDWR) {
    disk.writeProtected = true;
    fd = sys_.Open(node, O_RDONLY | direct | O_CLOEXEC);
  }
  if (fd < 0) {
    Fail(WindowsOpenErrorOf(-fd));
    return INVALID_HANDLE_VALUE;
  }
  DeviceNumber number;
  if (sys_.BlockDeviceNumber(fd, &number.major, &number.minor) != 0 || number != device.number) {
    sys_.Close(fd);
    Fail(ERROR_DEV_NOT_EXIST);  // the node no longer is the listed drive
    return INVALID_HANDLE_VALUE;
  }
  if (exclusive && !HoldExclusively(fd)) {
    sys_.Close(fd);
    return INVALID_HANDLE_VALUE;
  }
  disk.fd = fd;
  return Register(disk);
}

bool LinuxOs::HoldExclusively(int fd) {
  int result = 0;
  for (int attempt = 0; attempt < kFlockAttempts; ++attempt) {
    if (attempt > 0) sys_.SleepMilliseconds(kFlockRetryMs);
    result = sys_.Flock(fd, LOCK_EX | LOCK_NB);
    if (result != -EWOULDBLOCK) break;
  }
  if (result == 0) return true;
  return Fail(result == -EWOULDBLOCK ? ERROR_SHARING_VIOLATION : WindowsErrorOf(-result));
}

bool LinuxOs::DiskRequest(DiskObject& disk, std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                          std::uint32_t outSize, std::uint32_t* returned) {
  switch (code) {
    case IOCTL_DISK_GET_DRIVE_GEOMETRY:
    case IOCTL_DISK_GET_LENGTH_INFO: {
      int sectorSize = 0;
      std::uint64_t length = 0;
      if (const int r = sys_.Ioctl(disk.fd, BLKGETSIZE64, &length); r < 0) return FailErrno(r, disk.drive);
      if (code == IOCTL_DISK_GET_LENGTH_INFO) return Reply(LengthReply(length), out, outSize, returned, false);
      if (const int r = sys_.Ioctl(disk.fd, BLKSSZGET, &sectorSize); r < 0) return FailErrno(r, disk.drive);
      const bool removable = ReadDriveFacts(tree_, Drives()[disk.drive].name).removable;
      return Reply(GeometryReply(static_cast<std::uint32_t>(sectorSize), length, removable), out, outSize, returned,
                   false);
    }
    case IOCTL_STORAGE_QUERY_PROPERTY: return PropertyRequest(disk, in, inSize, out, outSize, returned);
    case IOCTL_STORAGE_GET_DEVICE_NUMBER:
      return Reply(DeviceNumberReply(static_cast<std::uint32_t>(disk.drive), 0), out, outSize, returned, false);
    case IOCTL_DISK_UPDATE_PROPERTIES: return UpdateProperties(disk);
    case SMART_GET_VERSION:
    case SMART_RCV_DRIVE_DATA:
    case SMART_SEND_DRIVE_COMMAND:
    case IOCTL_SCSI_MINIPORT:
    case IOCTL_SCSI_GET_ADDRESS: return AtaRequest(disk, code, in, inSize, out, outSize, returned);
    default: return Fail(ERROR_INVALID_FUNCTION);
  }
}

bool LinuxOs::PropertyRequest(const DiskObject& disk, const void* in, std::uint32_t inSize, void* out,
                              std::uint32_t outSize, std::uint32_t* returned) {
  if (in == nullptr || inSize < layout::PropertyQuerySize) return Fail(ERROR_INVALID_PARAMETER);
  const BlockDevice& device = Drives()[disk.drive];
  if (!StillPresent(tree_, device)) return Fail(ERROR_DEV_NOT_EXIST);
  if (GetU32(in, layout::PropertyQueryQueryType) != layout::PropertyStandardQuery) return Fail(ERROR_INVALID_FUNCTION);
  const DriveFacts facts = ReadDriveFacts(tree_, device.name);
  switch (GetU32(in, layout::PropertyQueryPropertyId)) {
    case layout::StorageAdapterProperty: return Reply(AdapterDescriptorReply(facts), out, outSize, returned, true);
    case layout::StorageDeviceProperty: return Reply(DeviceDescriptorReply(facts), out, outSize, returned, true);
    default: return Fail(ERROR_INVALID_FUNCTION);
  }
}

int LinuxOs::RereadPartitionTable(const DiskObject& disk) {
  int result = 0;
  for (int attempt = 0; attempt < kRereadAttempts; ++attempt) {
    if (attempt > 0) sys_.SleepMilliseconds(kRereadRetryMs);
    result = sys_.Ioctl(disk.fd, BLKRRPART, nullptr);
    if (result != -EBUSY) break;
  }
  return result;
}

bool LinuxOs::UpdateProperties(DiskObject& disk) {
  // The kernel refuses to re-read while partitions are open, and the volumes
  // locked for an erase are ours until they are released: re-read then.
  for (const auto& [handle, object] : handles_) {
    const auto* volume = std::get_if<VolumeObject>(&object);
    if (volume != nullptr && volume->lockFd >= 0 && volume->volume.drive == disk.drive) {
      disk.rereadPending = true;
      return Succeed();
    }
  }
  const int result = RereadPartitionTable(disk);
  return result < 0 ? FailErrno(result, disk.drive) : Succeed();
}

bool LinuxOs::SetFilePointerEx(Handle handle, std::int64_t distance, std::int64_t* newPointer, std::uint32_t method) {
  DiskObject* disk = FindDisk(handle);
  if (disk == nullptr) return Fail(ERROR_INVALID_HANDLE);
  std::int64_t base = 0;
  if (method == FILE_CURRENT) {
    base = disk->position;
  } else if (method == FILE_END) {
    std::uint64_t length = 0;
    if (const int r = sys_.Ioctl(disk->fd, BLKGETSIZE64, &length); r < 0) return FailErrno(r, disk->drive);
    base = static_cast<std::int64_t>(length);
  } else if (method != FILE_BEGIN) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (distance < 0 && base + distance < 0) return Fail(ERROR_INVALID_PARAMETER);
  disk->position = base + distance;
  if (newPointer != nullptr) *newPointer = disk->position;
  return Succeed();
}

bool LinuxOs::WriteFile(Handle handle, const void* buffer, std::uint32_t length, std::uint32_t* written) {
  if (written != nullptr) *written = 0;
  DiskObject* disk = FindDisk(handle);
  if (disk == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (!disk->writable) return Fail(ERROR_ACCESS_DENIED);
  if (disk->writeProtected) return Fail(ERROR_WRITE_PROTECT);
  if (const std::uint32_t blocker = WriteBlocker(*disk); blocker != 0) return Fail(blocker);
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  std::uint32_t done = 0;
  while (done < length) {
    const long n = sys_.PWrite(disk->fd, bytes + done, length - done, disk->position + done);
    if (n < 0) return FailErrno(static_cast<int>(n), disk->drive);
    if (n == 0) return Fail(ERROR_INVALID_PARAMETER);  // past the end of the drive
    done += static_cast<std::uint32_t>(n);
    if (written != nullptr) *written = done;
  }
  disk->position += done;
  return Succeed();
}

// A drive opened for writing reads directly too (O_DIRECT), so what comes
// back is what the medium holds, not what the page cache remembers.
bool LinuxOs::ReadFile(Handle handle, void* buffer, std::uint32_t length, std::uint32_t* read) {
  if (read != nullptr) *read = 0;
  DiskObject* disk = FindDisk(handle);
  if (disk == nullptr) return Fail(ERROR_INVALID_HANDLE);
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  std::uint32_t done = 0;
  while (done < length) {
    const long n = sys_.PRead(disk->fd, bytes + done, length - done, disk->position + done);
    if (n < 0) return FailErrno(static_cast<int>(n), disk->drive);
    if (n == 0) return Fail(ERROR_INVALID_PARAMETER);  // past the end of the drive
    done += static_cast<std::uint32_t>(n);
    if (read != nullptr) *read = done;
  }
  disk->position += done;
  return Succeed();
}

bool LinuxOs::FlushFileBuffers(Handle handle) {
  DiskObject* disk = FindDisk(handle);
  if (disk == nullptr) return Fail(ERROR_INVALID_HANDLE);
  const int result = sys_.Fsync(disk->fd);
  return result < 0 ? FailErrno(result, disk->drive) : Succeed();
}

// Writing over a volume the system still uses would corrupt it, whatever the
// program believes it locked; Windows refuses such writes too. Anything on
// the drive that is mounted, swapped on, held by a stacked device or claimed
// exclusively by another program, and not held by our own volume locks,
// refuses the write with "access denied".
std::uint32_t LinuxOs::WriteBlocker(DiskObject& disk) {
  const auto now = std::chrono::steady_clock::now();
  if (disk.guardPassed && now - disk.guardCheckedAt < kWriteGuardPeriod) return 0;
  disk.guardCheckedAt = now;
  disk.guardPassed = false;
  const VolumeUse use = VolumeUse::Read(tree_);
  const std::vector<Volume> volumes = VolumesOfDrive(tree_, Drives(), disk.drive);
  for (const Volume& volume : volumes) {
    if (HeldByUs(volume)) continue;
    const bool wholeDiskOfPartitions = volume.partition == 0 && volumes.size() > 1;
    if (use.InUse(tree_, Drives(), volume)) return ERROR_ACCESS_DENIED;
    if (!wholeDiskOfPartitions && ClaimedByOthers(volume)) return ERROR_ACCESS_DENIED;
  }
  disk.guardPassed = true;
  return 0;
}

// Whether someone holds the block device exclusively (a mount in another
// mount namespace, swap, a stacked device, a program that opened it with
// O_EXCL). The whole disk of a partitioned drive counts as claimed while any
// partition is, so callers ask about partitions then.
bool LinuxOs::ClaimedByOthers(const Volume& volume) {
  const int fd = sys_.Open(tree_.Locate(DeviceNodePath(volume.name)), O_RDONLY | O_EXCL | O_CLOEXEC);
  if (fd >= 0) sys_.Close(fd);
  return fd == -EBUSY;
}

}  // namespace orvella
