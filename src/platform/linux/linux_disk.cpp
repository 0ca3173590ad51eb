// The physical drives: opening, the disk and storage queries, the claim of
// the whole disk for an erase, positioned direct writes and reads, flushing
// and the partition table re-read.
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

constexpr std::uint32_t FILE_CURRENT = 1;
constexpr std::uint32_t FILE_END = 2;

}  // namespace

// Every handle starts with a read-only descriptor: queries, pass-through
// and the flock need no more, and closing it makes udev re-read nothing.
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
  const int fd = sys_.Open(tree_.Locate(DeviceNodePath(device.name)), O_RDONLY | O_CLOEXEC);
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

// The direct read-write descriptor, opened when the first write needs it;
// minus the errno when the drive will not open for writing.
int LinuxOs::WriteDescriptor(DiskObject& disk) {
  if (disk.writeFd >= 0) return disk.writeFd;
  const int fd = sys_.Open(tree_.Locate(DeviceNodePath(Drives()[disk.drive].name)), O_RDWR | O_DIRECT | O_CLOEXEC);
  if (fd == -EROFS) disk.writeProtected = true;
  if (fd >= 0) disk.writeFd = fd;
  return fd;
}

// The erase holds the whole disk with O_EXCL: then no program can claim,
// mount or lock any part of it until the claim ends. The kernel refuses a
// whole-disk claim while any partition is claimed, our own locks included,
// so those holds give way to it; a volume that someone took in that moment
// makes the claim refused, and the run with it.
bool LinuxOs::ClaimWholeDisk(DiskObject& disk) {
  if (!disk.writable) return Fail(ERROR_ACCESS_DENIED);
  if (disk.claimed) return Succeed();
  if (!StillPresent(tree_, Drives()[disk.drive])) return Fail(ERROR_DEV_NOT_EXIST);
  for (auto& [handle, object] : handles_) {
    auto* volume = std::get_if<VolumeObject>(&object);
    if (volume == nullptr || volume->volume.drive != disk.drive || volume->holdFd < 0) continue;
    sys_.Close(volume->holdFd);
    volume->holdFd = -1;
  }
  if (disk.writeFd >= 0) sys_.Close(disk.writeFd);
  disk.writeFd = -1;
  const std::string node = tree_.Locate(DeviceNodePath(Drives()[disk.drive].name));
  const int access = disk.writeProtected ? O_RDONLY : O_RDWR;
  int fd = sys_.Open(node, access | O_EXCL | O_DIRECT | O_CLOEXEC);
  if (fd == -EROFS && access == O_RDWR) {
    disk.writeProtected = true;
    fd = sys_.Open(node, O_RDONLY | O_EXCL | O_DIRECT | O_CLOEXEC);
  }
  if (fd < 0) return Fail(WindowsOpenErrorOf(-fd));
  DeviceNumber number;
  if (sys_.BlockDeviceNumber(fd, &number.major, &number.minor) != 0 || number != Drives()[disk.drive].number) {
    sys_.Close(fd);
    return Fail(ERROR_DEV_NOT_EXIST);
  }
  disk.writeFd = fd;
  disk.claimed = true;
  if (AnyInUse(VolumesOfDrive(tree_, Drives(), disk.drive))) {
    EndClaim(disk);
    return Fail(ERROR_ACCESS_DENIED);
  }
  return Succeed();
}

void LinuxOs::EndClaim(DiskObject& disk) {
  if (!disk.claimed) return;
  sys_.Close(disk.writeFd);
  disk.writeFd = -1;
  disk.claimed = false;
  RereadOnceReleased(disk.drive);
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
    case FSCTL_LOCK_VOLUME: return ClaimWholeDisk(disk);
    case FSCTL_UNLOCK_VOLUME:
      EndClaim(disk);
      return Succeed();
    case SMART_GET_VERSION:
    case SMART_RCV_DRIVE_DATA:
    case SMART_SEND_DRIVE_COMMAND:
    case IOCTL_SCSI_MINIPORT:
    case IOCTL_ATA_PASS_THROUGH:
    case IOCTL_SCSI_GET_ADDRESS: return AtaRequest(disk, code, in, inSize, out, outSize, returned);
    default: return Fail(ERROR_INVALID_FUNCTION);
  }
}

bool LinuxOs::PropertyRequest(DiskObject& disk, const void* in, std::uint32_t inSize, void* out,
                              std::uint32_t outSize, std::uint32_t* returned) {
  if (in == nullptr || inSize < layout::PropertyQuerySize) return Fail(ERROR_INVALID_PARAMETER);
  const BlockDevice& device = Drives()[disk.drive];
  if (!StillPresent(tree_, device)) return Fail(ERROR_DEV_NOT_EXIST);
  if (GetU32(in, layout::PropertyQueryQueryType) != layout::PropertyStandardQuery) return Fail(ERROR_INVALID_FUNCTION);
  const DriveFacts facts = ReadDriveFacts(tree_, device.name);
  switch (GetU32(in, layout::PropertyQueryPropertyId)) {
    case layout::StorageAdapterProperty: return Reply(AdapterDescriptorReply(facts), out, outSize, returned, true);
    case layout::StorageDeviceProperty: return Reply(DeviceDescriptorReply(facts), out, outSize, returned, true);
    case layout::StorageDeviceProtocolSpecificProperty:
      if (facts.busType != kBusNvme) return Fail(ERROR_NOT_SUPPORTED);
      return NvmeLogRequest(disk, static_cast<const std::uint8_t*>(in), inSize, out, outSize, returned);
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
  // The kernel refuses to re-read while partitions are open or the disk is
  // claimed, and what we hold for an erase is ours until it is released:
  // re-read then.
  if (HeldByUs(disk.drive)) {
    disk.rereadPending = true;
    return Succeed();
  }
  const int result = RereadPartitionTable(disk);
  return result < 0 ? FailErrno(result, disk.drive) : Succeed();
}

bool LinuxOs::HeldByUs(std::size_t drive) const {
  for (const auto& [handle, object] : handles_) {
    if (const auto* volume = std::get_if<VolumeObject>(&object); volume != nullptr)
      if (volume->locked && volume->volume.drive == drive) return true;
    if (const auto* disk = std::get_if<DiskObject>(&object); disk != nullptr)
      if (disk->claimed && disk->drive == drive) return true;
  }
  return false;
}

void LinuxOs::RereadOnceReleased(std::size_t drive) {
  if (HeldByUs(drive)) return;
  for (auto& [handle, object] : handles_) {
    auto* disk = std::get_if<DiskObject>(&object);
    if (disk == nullptr || disk->drive != drive || !disk->rereadPending) continue;
    disk->rereadPending = false;
    RereadPartitionTable(*disk);
  }
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

int LinuxOs::WritableDescriptor(DiskObject& disk) {
  const auto refuse = [this](std::uint32_t code) {
    Fail(code);
    return -1;
  };
  if (!disk.writable) return refuse(ERROR_ACCESS_DENIED);
  if (disk.writeProtected) return refuse(ERROR_WRITE_PROTECT);
  const int fd = WriteDescriptor(disk);
  if (fd < 0 && disk.writeProtected) return refuse(ERROR_WRITE_PROTECT);
  if (fd < 0) {
    FailErrno(fd, disk.drive);
    return -1;
  }
  if (const std::uint32_t blocker = WriteBlocker(disk); blocker != 0) return refuse(blocker);
  return fd;
}

bool LinuxOs::WriteFile(Handle handle, const void* buffer, std::uint32_t length, std::uint32_t* written) {
  if (written != nullptr) *written = 0;
  DiskObject* disk = FindDisk(handle);
  if (disk == nullptr) return Fail(ERROR_INVALID_HANDLE);
  const int fd = WritableDescriptor(*disk);
  if (fd < 0) return false;
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  std::uint32_t done = 0;
  while (done < length) {
    const long n = sys_.PWrite(fd, bytes + done, length - done, disk->position + done);
    if (n < 0) return FailErrno(static_cast<int>(n), disk->drive);
    if (n == 0) return FailAtEnd(*disk);
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
    const long n = sys_.PRead(ReadDescriptor(*disk), bytes + done, length - done, disk->position + done);
    if (n < 0) return FailErrno(static_cast<int>(n), disk->drive);
    if (n == 0) return FailAtEnd(*disk);
    done += static_cast<std::uint32_t>(n);
    if (read != nullptr) *read = done;
  }
  disk->position += done;
  return Succeed();
}

linux_backend::ZeroTransfers& LinuxOs::Transfers() {
  if (!transfers_) transfers_ = std::make_unique<ZeroTransfers>(sys_.QueueOf(kReadsInFlight));
  return *transfers_;
}

// A transfer that moved nothing went past the end of the drive, or met a
// drive that is going away: the kernel shrinks a disk it removes to nothing
// before its sysfs entry goes, and the transfers in flight then end as at
// the end of the drive.
bool LinuxOs::FailAtEnd(const DiskObject& disk) {
  std::uint64_t length = 0;
  const bool gone = !StillPresent(tree_, Drives()[disk.drive]) || sys_.Ioctl(disk.fd, BLKGETSIZE64, &length) < 0 ||
                    length == 0;
  return Fail(gone ? ERROR_DEV_NOT_EXIST : ERROR_INVALID_PARAMETER);
}

// Moves the position past a range that was moved whole; names the first
// part that failed otherwise.
bool LinuxOs::EndTransfer(DiskObject& disk, const TransferOutcome& outcome, std::uint32_t* moved) {
  if (moved != nullptr) *moved = outcome.done;
  if (outcome.pastEnd) return FailAtEnd(disk);
  if (outcome.error != 0) return FailErrno(static_cast<int>(outcome.error), disk.drive);
  disk.position += outcome.done;
  return Succeed();
}

bool LinuxOs::WriteZeros(Handle handle, const void*, std::uint32_t length, std::uint32_t* written) {
  if (written != nullptr) *written = 0;
  DiskObject* disk = FindDisk(handle);
  if (disk == nullptr) return Fail(ERROR_INVALID_HANDLE);
  const int fd = WritableDescriptor(*disk);
  if (fd < 0) return false;
  return EndTransfer(*disk, Transfers().Write(fd, disk->position, length), written);
}

bool LinuxOs::ReadZeros(Handle handle, void*, std::uint32_t length, std::uint32_t sectorSize,
                        std::vector<ByteSpan>* nonZero) {
  nonZero->clear();
  DiskObject* disk = FindDisk(handle);
  if (disk == nullptr) return Fail(ERROR_INVALID_HANDLE);
  return EndTransfer(*disk, Transfers().Read(ReadDescriptor(*disk), disk->position, length, sectorSize, *nonZero),
                     nullptr);
}

std::unique_ptr<ZeroReader> LinuxOs::StartZeroReader(Handle handle, void* buffer, std::uint32_t sectorSize) {
  DiskObject* disk = FindDisk(handle);
  if (disk == nullptr) return Os::StartZeroReader(handle, buffer, sectorSize);
  // A failure's errno becomes the error the program knows.
  const auto errorOf = [this, disk](const TransferOutcome& outcome) {
    EndTransfer(*disk, outcome, nullptr);
    return GetLastError();
  };
  return std::make_unique<ReadAheadZeroReader>(Transfers().ReadAhead(ReadDescriptor(*disk), sectorSize),
                                               kReadsInFlight, errorOf);
}

bool LinuxOs::FlushFileBuffers(Handle handle) {
  DiskObject* disk = FindDisk(handle);
  if (disk == nullptr) return Fail(ERROR_INVALID_HANDLE);
  const int result = sys_.Fsync(disk->writeFd >= 0 ? disk->writeFd : disk->fd);
  return result < 0 ? FailErrno(result, disk->drive) : Succeed();
}

}  // namespace orvella
