// The OS seam answered by the drives of a Linux machine. \\.\PhysicalDriveN
// is entry N of the drive list (fixed at first use for the whole run); the
// disk and storage queries are answered from block-device ioctls and sysfs,
// the S.M.A.R.T. and miniport requests through SG_IO ATA pass-through, and
// the volume requests by unmounting and holding partitions exclusively. The
// exclusive open of a drive is an advisory whole-disk flock, as Linux disk
// tools take it; a drive is opened read-only until the first write or the
// lock of the whole disk needs more, so that a mere look makes udev re-read
// nothing. Locking the drive's own handle holds the whole disk with O_EXCL
// for an erase. Nothing but the drive being erased is ever opened
// exclusively or for writing.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/linux/block_devices.h"
#include "platform/linux/drive_facts.h"
#include "platform/linux/syscalls.h"
#include "platform/linux/system_tree.h"
#include "platform/linux/table_watch.h"
#include "platform/linux/volume_use.h"
#include "platform/linux/zero_transfers.h"
#include "platform/os.h"

namespace orvella {

class LinuxOs final : public Os {
 public:
  // The live machine.
  LinuxOs();
  // A machine seen through a root prefix and a stand-in kernel (tests).
  LinuxOs(linux_backend::Syscalls& syscalls, std::string root);
  ~LinuxOs() override;

  Handle CreateFileW(const std::u16string& path, std::uint32_t desiredAccess, std::uint32_t shareMode,
                     std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes) override;
  bool CloseHandle(Handle handle) override;
  bool DeviceIoControl(Handle handle, std::uint32_t controlCode, const void* inBuffer, std::uint32_t inBufferSize,
                       void* outBuffer, std::uint32_t outBufferSize, std::uint32_t* bytesReturned) override;
  bool SetFilePointerEx(Handle handle, std::int64_t distanceToMove, std::int64_t* newFilePointer,
                        std::uint32_t moveMethod) override;
  bool WriteFile(Handle handle, const void* buffer, std::uint32_t bytesToWrite, std::uint32_t* bytesWritten) override;
  bool ReadFile(Handle handle, void* buffer, std::uint32_t bytesToRead, std::uint32_t* bytesRead) override;
  bool ZeroTransfersNeedBuffers() override { return false; }
  bool WriteZeros(Handle handle, const void* zeros, std::uint32_t length, std::uint32_t* bytesWritten) override;
  bool ReadZeros(Handle handle, void* buffer, std::uint32_t length, std::uint32_t sectorSize,
                 std::vector<ByteSpan>* nonZero) override;
  std::unique_ptr<ZeroReader> StartZeroReader(Handle handle, void* buffer, std::uint32_t sectorSize) override;
  bool FlushFileBuffers(Handle handle) override;
  std::uint32_t GetLastError() override { return lastError_; }
  std::u16string SystemErrorText(std::uint32_t code) override;
  std::uint32_t GetLogicalDriveStringsW(std::uint32_t bufferLength, char16_t* buffer) override;
  OsVersionInfo GetVersionExW() override;
  Wow64Answer IsWow64Process() override;
  std::u16string ModuleFileName() override;
  HostIdentity QueryHostIdentity() override;
  bool LoadSetupLibrary() override { return true; }
  void Sleep(std::uint32_t milliseconds) override;
  void* AllocateAligned(std::size_t size) override;
  void FreeAligned(void* memory) override;
  std::u16string AnsiToText(const std::uint8_t* bytes, std::size_t count) override;
  DriveNames DriveNamesOf(std::uint32_t driveNumber) override;
  std::vector<Unmount> UnmountsOf(Handle volume) override;
  BusyVolume DescribeBusyVolume(const std::u16string& name) override;
  std::uint32_t SendNvmeAdmin(Handle handle, NvmeAdminCommand& command) override;
  std::uint32_t SendScsi(Handle handle, ScsiCommand& command) override;

  // The drives in the order that numbers them.
  const std::vector<linux_backend::BlockDevice>& Drives();
  // How many times the write guard has read the mount and swap tables and
  // walked a drive's volumes in full.
  std::uint64_t FullUseLooks() const { return fullLooks_; }

 private:
  // What a full look at a drive found no longer in use, and what it was
  // taken from: while these stay the same, so do the mounts and swaps.
  struct UseLook {
    std::uint64_t generation = 0;       // of the mount and swap tables (TableWatch)
    std::vector<std::string> entries;   // of the disk's sysfs folder, where partitions come and go
    std::vector<linux_backend::Volume> volumes;
    std::vector<bool> ours;             // which of them our volume locks held
  };
  struct DiskObject {
    std::size_t drive = 0;
    int fd = -1;                  // read-only: queries, pass-through, the flock
    int writeFd = -1;             // direct and read-write, opened for the first write or the claim
    bool claimed = false;         // writeFd holds the whole disk with O_EXCL
    bool writable = false;        // opened for writing
    bool writeProtected = false;  // the medium refuses writes
    std::int64_t position = 0;
    bool rereadPending = false;  // the partition table is re-read once our holds end
    std::chrono::steady_clock::time_point guardCheckedAt{};
    bool guardPassed = false;
    std::optional<UseLook> lastLook;  // the last full look, while it found nothing in use
  };
  struct VolumeObject {
    linux_backend::Volume volume;
    bool locked = false;
    int holdFd = -1;  // the partition's exclusive hold, until the whole disk is claimed
    std::vector<Unmount> unmounted;
  };
  using Object = std::variant<DiskObject, VolumeObject>;

  bool Fail(std::uint32_t error);
  bool Succeed();
  // Fails with the code of a negative errno result; an I/O failure of a drive
  // that has left sysfs is "device gone".
  bool FailErrno(int result, std::size_t drive);
  bool FailAtEnd(const DiskObject& disk);
  bool Reply(const std::vector<std::uint8_t>& reply, void* out, std::uint32_t outSize, std::uint32_t* returned,
             bool partialAllowed);
  DiskObject* FindDisk(Handle handle);
  VolumeObject* FindVolume(Handle handle);
  Handle Register(Object object);

  // Drives (linux_disk.cpp).
  Handle OpenDisk(std::size_t drive, std::uint32_t access, bool exclusive);
  bool HoldExclusively(int fd);
  bool DiskRequest(DiskObject& disk, std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                   std::uint32_t outSize, std::uint32_t* returned);
  bool PropertyRequest(DiskObject& disk, const void* in, std::uint32_t inSize, void* out, std::uint32_t outSize,
                       std::uint32_t* returned);
  bool UpdateProperties(DiskObject& disk);
  int RereadPartitionTable(const DiskObject& disk);
  std::uint32_t WriteBlocker(DiskObject& disk);
  int WriteDescriptor(DiskObject& disk);
  // The descriptor a write goes through, or -1 with the last error set.
  int WritableDescriptor(DiskObject& disk);
  static int ReadDescriptor(const DiskObject& disk) { return disk.writeFd >= 0 ? disk.writeFd : disk.fd; }
  bool EndTransfer(DiskObject& disk, const TransferOutcome& outcome, std::uint32_t* moved);
  linux_backend::ZeroTransfers& Transfers();
  bool ClaimWholeDisk(DiskObject& disk);
  void EndClaim(DiskObject& disk);

  // The write guard (linux_write_guard.cpp).
  bool DriveUnused(DiskObject& disk);
  std::vector<bool> OursAmong(const std::vector<linux_backend::Volume>& volumes) const;
  bool AnyHeldByStackedDevice(const UseLook& look) const;
  bool AnyInUse(const std::vector<linux_backend::Volume>& volumes);
  // Whether our volume locks or a claim still hold the drive; when none
  // does, a deferred partition table re-read runs.
  bool HeldByUs(std::size_t drive) const;
  void RereadOnceReleased(std::size_t drive);

  // ATA pass-through (linux_ata.cpp).
  bool AtaRequest(DiskObject& disk, std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                  std::uint32_t outSize, std::uint32_t* returned);
  bool NvmeMiniportIdentify(DiskObject& disk, const std::uint8_t* in, std::uint32_t inSize, void* out,
                            std::uint32_t outSize, std::uint32_t* returned);
  bool TaskFileRequest(DiskObject& disk, const std::uint8_t* in, std::uint32_t inSize, void* out,
                       std::uint32_t outSize, std::uint32_t* returned);
  bool NvmeLogRequest(DiskObject& disk, const std::uint8_t* in, std::uint32_t inSize, void* out,
                      std::uint32_t outSize, std::uint32_t* returned);

  // Volumes (linux_volumes.cpp).
  std::optional<linux_backend::Volume> FindVolumeNamed(const std::string& name);
  bool VolumeRequest(VolumeObject& volume, std::uint32_t code, void* out, std::uint32_t outSize,
                     std::uint32_t* returned);
  bool LockVolume(VolumeObject& volume);
  bool LockedByUs(const linux_backend::Volume& volume) const;
  void ReleaseVolume(VolumeObject& volume);

  std::unique_ptr<linux_backend::Syscalls> ownedSyscalls_;
  linux_backend::Syscalls& sys_;
  linux_backend::SystemTree tree_;
  std::optional<std::vector<linux_backend::BlockDevice>> drives_;
  std::map<Handle, Object> handles_;
  std::unique_ptr<linux_backend::ZeroTransfers> transfers_;  // made for the first zero transfer
  linux_backend::TableWatch tables_{sys_, tree_};
  std::uint64_t fullLooks_ = 0;
  Handle nextHandle_ = 0x100;
  std::uint32_t lastError_ = 0;
};

}  // namespace orvella
