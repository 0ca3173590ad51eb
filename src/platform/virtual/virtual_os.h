// The OS seam answered by simulated drives. Tests and the demo run the whole
// program on it: every request is answered from the VirtualMachine
// description, logged for tests to assert on, and writes are recorded as
// extents on each drive's medium (no bytes are kept, so a 2 TB drive costs
// nothing). A read gives zeros where the medium was written and the drive's
// old contents, a fixed non-zero pattern (OldByteAt), everywhere else.
#pragma once

#include <cstdint>
#include <array>
#include <functional>
#include <optional>
#include <map>
#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/virtual/virtual_machine.h"

namespace orvella {

// One request as the program sent it.
struct RequestRecord {
  enum class Kind { Open, Close, Ioctl, Seek, Write, Read, Flush, DriveStrings, NvmeAdmin, Scsi };
  Kind kind = Kind::Ioctl;
  Handle handle = 0;            // the handle used (Open: the handle returned)
  std::u16string path;          // Open
  std::uint32_t access = 0;     // Open
  std::uint32_t share = 0;      // Open
  std::uint32_t controlCode = 0;           // Ioctl
  std::vector<std::uint8_t> input;         // Ioctl: the input bytes as sent; NvmeAdmin: the entry;
                                           // Scsi: the command block, then any data sent
  std::uint32_t inLength = 0;              // Ioctl
  std::uint32_t outLength = 0;             // Ioctl
  std::int64_t offset = 0;                 // Seek: target; Write, Read: position
  std::uint32_t length = 0;                // Write, Read; Scsi: the data length
  bool ok = false;
  std::uint32_t error = 0;                 // last error after the request

  static RequestRecord Of(Kind kind, Handle handle) {
    RequestRecord record;
    record.kind = kind;
    record.handle = handle;
    return record;
  }
};

// The byte a simulated drive holds at `offset` before anything is written
// there: never zero, so that a read-back tells old data from an erase.
std::uint8_t OldByteAt(std::int64_t offset);

// What has been written to one drive.
struct MediumRecord {
  std::vector<ByteRange> extents;  // merged, ascending
  struct Write {
    std::int64_t offset = 0;
    std::uint32_t length = 0;
    bool done = false;
  };
  std::vector<Write> writes;  // every write attempt in order
  // Writes done while a volume of the drive was mounted and not locked:
  // the erase must never do that.
  int writesOverUnlockedVolumes = 0;
  int flushes = 0;
  std::int64_t bytesRead = 0;

  std::int64_t BytesWritten() const;
  bool Covers(std::int64_t from, std::int64_t to) const;
};

class VirtualOs final : public Os {
 public:
  // passTime is how simulated time goes by (speed limits, Sleep): real
  // sleeping for the demo, a fake clock's step in tests.
  explicit VirtualOs(VirtualMachine machine, std::function<void(std::int64_t ms)> passTime = {});

  Handle CreateFileW(const std::u16string& path, std::uint32_t desiredAccess, std::uint32_t shareMode,
                     std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes) override;
  bool CloseHandle(Handle handle) override;
  bool DeviceIoControl(Handle handle, std::uint32_t controlCode, const void* inBuffer,
                       std::uint32_t inBufferSize, void* outBuffer, std::uint32_t outBufferSize,
                       std::uint32_t* bytesReturned) override;
  bool SetFilePointerEx(Handle handle, std::int64_t distanceToMove, std::int64_t* newFilePointer,
                        std::uint32_t moveMethod) override;
  bool WriteFile(Handle handle, const void* buffer, std::uint32_t bytesToWrite,
                 std::uint32_t* bytesWritten) override;
  bool ReadFile(Handle handle, void* buffer, std::uint32_t bytesToRead, std::uint32_t* bytesRead) override;
  bool FlushFileBuffers(Handle handle) override;
  std::uint32_t GetLastError() override { return lastError_; }
  std::u16string SystemErrorText(std::uint32_t code) override;
  std::uint32_t GetLogicalDriveStringsW(std::uint32_t bufferLength, char16_t* buffer) override;
  OsVersionInfo GetVersionExW() override { return version_; }
  Wow64Answer IsWow64Process() override { return wow64_; }
  std::u16string ModuleFileName() override { return moduleFileName_; }
  HostIdentity QueryHostIdentity() override { return machine_.host; }
  bool LoadSetupLibrary() override { return setupLibraryLoads_; }
  void Sleep(std::uint32_t milliseconds) override;
  void* AllocateAligned(std::size_t size) override;
  void FreeAligned(void* memory) override;
  std::u16string AnsiToText(const std::uint8_t* bytes, std::size_t count) override;
  DriveNames DriveNamesOf(std::uint32_t driveNumber) override;
  std::vector<Unmount> UnmountsOf(Handle volume) override;
  BusyVolume DescribeBusyVolume(const std::u16string& name) override;
  std::uint32_t SendNvmeAdmin(Handle handle, NvmeAdminCommand& command) override;
  std::uint32_t SendScsi(Handle handle, ScsiCommand& command) override;
  EraseCommandLimits EraseLimits() override { return eraseLimits_; }

  // For tests and the demo.
  const VirtualMachine& Machine() const { return machine_; }
  VirtualMachine& Machine() { return machine_; }
  const std::vector<RequestRecord>& Requests() const { return requests_; }
  void ClearRequests() { requests_.clear(); }
  const MediumRecord& Medium(std::uint32_t driveNumber) const;
  bool IsUnplugged(std::uint32_t driveNumber) const;
  bool IsVolumeLocked(const std::string& name) const;
  // Whether a handle still open has taken the volume's file system down.
  bool IsDismounted(const std::string& name) const;
  int OpenHandleCount() const { return static_cast<int>(handles_.size()); }

  // Surroundings that tests vary.
  OsVersionInfo version_{true, 6, 1, 7601, VER_PLATFORM_WIN32_NT, u"Service Pack 1"};
  Wow64Answer wow64_ = Wow64Answer::No;
  std::u16string moduleFileName_ = u"C:\\Program Files\\Orvella\\orvella.exe";
  bool setupLibraryLoads_ = true;
  bool allocationFails_ = false;  // AllocateAligned gives nullptr
  EraseCommandLimits eraseLimits_;  // what the system said it passes; these drives take every command

 private:
  struct OpenObject {
    bool isVolume = false;
    std::size_t index = 0;  // into machine_.drives or machine_.volumes
    std::uint32_t access = 0;
    std::int64_t position = 0;
    bool locksVolume = false;
    std::vector<Unmount> unmounted;  // what its dismount took down
  };
  // A drive's own erase as it runs: what it will leave, when it began.
  struct OwnEraseRun {
    VirtualOwnErase::State state = VirtualOwnErase::State::Idle;
    bool ran = false;  // a sanitize has run to its end (or failure) since the start
    std::int64_t startedAt = 0;
    std::optional<std::uint8_t> fill;  // the byte it leaves; none: random data (a crypto erase)
    std::uint16_t lastCommand = 0;      // ATA feature or NVMe action, for the status log
  };
  // The Security feature set of an ATA drive; its state bits live in the
  // drive's IDENTIFY word 128, as the drive reports them.
  struct SecurityRun {
    bool known = false;  // the password was taken from the drive's description
    std::array<std::uint8_t, 32> password{};
    bool prepared = false;  // ERASE PREPARE came just before
    int wrongPasswords = 0;
  };
  enum class SecurityAnswer { Done, Aborted, Unplugged, TimedOut };
  struct DriveState {
    MediumRecord medium;
    bool unplugged = false;
    // What the medium reads where nothing was written since its last erase:
    // none, its old data (OldByteAt); a byte; or random data of a key
    // generation (after a crypto erase).
    std::optional<std::uint8_t> erasedFill;
    int keyGeneration = 0;
    OwnEraseRun ownErase;
    SecurityRun security;
  };

  bool Fail(std::uint32_t error);
  bool Succeed();
  void Log(RequestRecord record, bool ok);
  OpenObject* Find(Handle handle);
  // The drive behind a handle; nullptr (last error: invalid handle) for a
  // volume or a closed handle.
  OpenObject* FindDrive(Handle handle);
  // The error a write of `length` bytes at `offset` meets, 0 when it lands.
  std::uint32_t WriteRefusal(const OpenObject& object, std::int64_t offset, std::uint32_t length);
  // The error a read of `length` bytes at `offset` meets, 0 when it succeeds.
  std::uint32_t ReadRefusal(const OpenObject& object, std::int64_t offset, std::uint32_t length);
  void PassTransferTime(const VirtualDrive& drive, std::uint32_t length);
  const RequestFault* MatchFault(const VirtualDrive& drive, std::uint32_t code, const void* in,
                                 std::uint32_t inSize) const;

  // Requests answered by the drive, one file each.
  bool StorageRequest(OpenObject& object, std::uint32_t code, const void* in, std::uint32_t inSize,
                      void* out, std::uint32_t outSize, std::uint32_t* returned);
  bool AtaRequest(OpenObject& object, std::uint32_t code, const void* in, std::uint32_t inSize,
                  void* out, std::uint32_t outSize, std::uint32_t* returned);
  bool TaskFileRequest(OpenObject& object, const void* in, std::uint32_t inSize, void* out, std::uint32_t outSize,
                       std::uint32_t* returned);
  bool SecurityRequest(OpenObject& object, const void* in, std::uint32_t inSize, void* out, std::uint32_t outSize,
                       std::uint32_t* returned);
  bool NvmeLogRequest(OpenObject& object, const void* in, std::uint32_t inSize, void* out, std::uint32_t outSize,
                      std::uint32_t* returned);
  bool VolumeRequest(OpenObject& object, std::uint32_t code, void* out, std::uint32_t outSize,
                     std::uint32_t* returned);
  static bool IsAtaRequest(std::uint32_t code);
  bool AnyVolumeUnlocked(std::uint32_t driveNumber) const;
  // A command sent to the drive behind `handle` outside DeviceIoControl:
  // `answer` runs unless the drive has gone, and the record is logged.
  std::uint32_t DriveCommand(Handle handle, RequestRecord record,
                             const std::function<std::uint32_t(const VirtualDrive&)>& answer);
  // The drive's own erase commands (virtual_own_erase.cpp).
  void StartOwnErase(const VirtualDrive& drive, std::optional<std::uint8_t> fill, std::uint16_t command);
  void AdvanceOwnErase(const VirtualDrive& drive);
  void FinishOwnErase(const VirtualDrive& drive, DriveState& state);
  // How far the running sanitize is, of 65535.
  std::uint16_t OwnEraseProgress(const VirtualDrive& drive) const;
  std::uint16_t AtaSanitize(const VirtualDrive& drive, std::uint16_t feature, std::uint64_t lba,
                            std::array<std::uint8_t, 8>& current,
                            std::array<std::uint8_t, 8>& previous);
  void NvmeAnswer(const VirtualDrive& drive, NvmeAdminCommand& command);
  // The SCSI commands of a SCSI or SAS drive (virtual_scsi.cpp).
  void ScsiAnswer(const VirtualDrive& drive, ScsiCommand& command);
  void ScsiSanitize(const VirtualDrive& drive, ScsiCommand& command);
  // The Security commands (virtual_security.cpp); `sector` is the one a
  // command carries, or nullptr.
  SecurityAnswer AtaSecurity(VirtualDrive& drive, std::uint8_t command, const std::uint8_t* sector);
  SecurityAnswer SecurityEraseUnit(VirtualDrive& drive, bool enhanced);
  // Whether the drive is locked by its password: it aborts every read and
  // write of its user area until unlocked.
  static bool SecurityLocked(const VirtualDrive& drive);
  void FillFromDrive(const VirtualDrive& drive, std::int64_t offset, std::uint32_t length, std::uint8_t* out);

  VirtualMachine machine_;
  std::function<void(std::int64_t)> passTime_;
  std::map<Handle, OpenObject> handles_;
  std::map<std::uint32_t, DriveState> driveStates_;  // by drive number
  std::vector<RequestRecord> requests_;
  std::uint32_t lastError_ = 0;
  Handle nextHandle_ = 0x100;
  double owedMilliseconds_ = 0;  // speed-limit time not yet passed
  std::int64_t simulatedMilliseconds_ = 0;  // time passed since the start, for the drives' own erases
};

}  // namespace orvella
