// The OS seam: the kernel and device I/O surface that the system code calls.
//
// The program was designed against the Windows kernel interface, and this
// header keeps that surface: handles, CreateFileW, DeviceIoControl with fixed
// control codes and byte-exact buffers, positioned writes and Windows error
// codes. Backends (simulated drives, Linux, later Windows) answer it; the
// system code above never sees anything else of the machine.
//
// A Windows backend must include this header before <windows.h>: the control
// code and constant names below are macros there, with the same values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/control_codes.h"
#include "platform/erase_limits.h"
#include "platform/error_codes.h"
#include "platform/zero_reader.h"
#include "platform/nvme_admin_command.h"
#include "platform/scsi_command.h"
#include "platform/zero_scan.h"

namespace orvella {

using Handle = std::intptr_t;
inline constexpr Handle INVALID_HANDLE_VALUE = -1;

// CreateFileW access rights, share modes and dispositions.
inline constexpr std::uint32_t GENERIC_READ = 0x80000000u;
inline constexpr std::uint32_t GENERIC_WRITE = 0x40000000u;
inline constexpr std::uint32_t FILE_SHARE_READ = 0x1u;
inline constexpr std::uint32_t FILE_SHARE_WRITE = 0x2u;
inline constexpr std::uint32_t OPEN_EXISTING = 3u;

// SetFilePointerEx move methods.
inline constexpr std::uint32_t FILE_BEGIN = 0u;

// The answer of the version query (the fields of OSVERSIONINFOW that are read).
struct OsVersionInfo {
  bool ok = false;
  std::uint32_t majorVersion = 0;
  std::uint32_t minorVersion = 0;
  std::uint32_t buildNumber = 0;
  std::uint32_t platformId = 0;  // 2 = VER_PLATFORM_WIN32_NT
  std::u16string servicePack;
};
inline constexpr std::uint32_t VER_PLATFORM_WIN32_NT = 2u;

// What names the machine itself: its host name and, as its firmware tells
// them (the SMBIOS system information), its maker, model and serial number.
// A text that cannot be read is empty.
struct HostIdentity {
  std::u16string name;
  std::u16string vendor;
  std::u16string model;
  std::u16string serial;
  bool operator==(const HostIdentity&) const = default;
};

// A file system of a drive's volume: where it is (or was) mounted and the
// device it is mounted from, as the system names them. A volume request
// that took one down reports it so.
struct Unmount {
  std::u16string mountPoint;
  std::u16string device;
  bool operator==(const Unmount&) const = default;
};

// How the system names a drive to its users, beside \\.\PhysicalDriveN,
// and what it knows of the drive's state without opening it.
struct DriveNames {
  std::u16string devicePath;  // "/dev/sdb"; where the system has no other name, \\.\PhysicalDriveN
  std::u16string stableLink;  // a name that stays with the drive ("/dev/disk/by-id/..."); empty if none
  bool readOnly = false;
  bool mounted = false;  // some volume of the drive is in use (mounted, swap, stacked)
  std::vector<Unmount> fileSystems;  // the file systems mounted from its volumes now
};

// A process that holds a volume: a file open on it, its working or root
// folder there, a file of it mapped, or the volume's device itself open.
struct VolumeHolder {
  std::uint32_t pid = 0;
  std::u16string command;  // the process's command name
  bool operator==(const VolumeHolder&) const = default;
};

// What the system tells about a volume that refused to be locked.
struct BusyVolume {
  std::u16string name;  // as the drive strings list it
  std::vector<std::u16string> mountPoints;
  bool holdersKnown = false;  // false: the system could not say who holds it
  std::vector<VolumeHolder> holders;
  bool operator==(const BusyVolume&) const = default;
};

// Whether the process runs under the 32-bit emulation of a 64-bit system.
enum class Wow64Answer { QueryMissing, No, Yes, QueryFailed };

class Os {
 public:
  virtual ~Os() = default;

  // Files and devices. A failed open returns INVALID_HANDLE_VALUE and sets the
  // last error; every call sets the last error (0 on success).
  virtual Handle CreateFileW(const std::u16string& path, std::uint32_t desiredAccess,
                             std::uint32_t shareMode, std::uint32_t creationDisposition,
                             std::uint32_t flagsAndAttributes) = 0;
  virtual bool CloseHandle(Handle handle) = 0;
  virtual bool DeviceIoControl(Handle handle, std::uint32_t controlCode, const void* inBuffer,
                               std::uint32_t inBufferSize, void* outBuffer,
                               std::uint32_t outBufferSize, std::uint32_t* bytesReturned) = 0;
  virtual bool SetFilePointerEx(Handle handle, std::int64_t distanceToMove,
                                std::int64_t* newFilePointer, std::uint32_t moveMethod) = 0;
  virtual bool WriteFile(Handle handle, const void* buffer, std::uint32_t bytesToWrite,
                         std::uint32_t* bytesWritten) = 0;
  // Reads at the handle's position, which moves past what was read. Like
  // WriteFile on a drive, the length and position are whole sectors and the
  // buffer is page-aligned memory (AllocateAligned).
  virtual bool ReadFile(Handle handle, void* buffer, std::uint32_t bytesToRead, std::uint32_t* bytesRead) = 0;
  // Whether WriteZeros and ReadZeros need the caller's buffers. A backend
  // that writes and checks zeros with memory of its own answers false, is
  // passed nullptr, and spares the program a block-sized buffer.
  virtual bool ZeroTransfersNeedBuffers() { return true; }
  // Writes `length` zeros at the handle's position, which moves past them,
  // like WriteFile; `zeros` is a page-aligned all-zero buffer of at least
  // `length` bytes where ZeroTransfersNeedBuffers. A failure names the first
  // part of the range that failed: its error is the last error, and
  // `bytesWritten` the bytes before it.
  virtual bool WriteZeros(Handle handle, const void* zeros, std::uint32_t length, std::uint32_t* bytesWritten) {
    return WriteFile(handle, zeros, length, bytesWritten);
  }
  // Reads `length` bytes at the handle's position, which moves past them,
  // like ReadFile, and sets `nonZero` to the sectors of `sectorSize` bytes
  // among them that hold anything but zeros, ascending, adjacent ones
  // joined. `buffer` is page-aligned memory of at least `length` bytes
  // where ZeroTransfersNeedBuffers. When any of it cannot be read the call
  // fails, with the error of the first part that failed, and `nonZero` says
  // nothing.
  virtual bool ReadZeros(Handle handle, void* buffer, std::uint32_t length, std::uint32_t sectorSize,
                         std::vector<ByteSpan>* nonZero);
  // A reader of the drive behind `handle` for the read-back, which checks
  // each block for zeros as ReadZeros does. This one reads each block when
  // it is taken, through SetFilePointerEx and ReadZeros into `buffer`; a
  // backend that can keep reads in flight across blocks answers its own.
  virtual std::unique_ptr<ZeroReader> StartZeroReader(Handle handle, void* buffer, std::uint32_t sectorSize) {
    return std::make_unique<BlockByBlockReader>(*this, handle, buffer, sectorSize);
  }
  // Pushes everything written through the handle to the medium.
  virtual bool FlushFileBuffers(Handle handle) = 0;
  virtual std::uint32_t GetLastError() = 0;

  // The system's description of an error code, as FormatMessage gives it
  // (trailing line breaks and full stops included; callers trim).
  virtual std::u16string SystemErrorText(std::uint32_t code) = 0;

  // GetLogicalDriveStringsW: the drive roots ("C:\", ...) as a double-zero-
  // terminated list. Returns the length written without the final zero, the
  // length needed when the buffer is too small, 0 on failure.
  virtual std::uint32_t GetLogicalDriveStringsW(std::uint32_t bufferLength,
                                                char16_t* buffer) = 0;

  virtual OsVersionInfo GetVersionExW() = 0;
  virtual Wow64Answer IsWow64Process() = 0;
  // The full path of the program file.
  virtual std::u16string ModuleFileName() = 0;
  // The machine the program runs on (GetComputerNameExW and the firmware
  // table on Windows).
  virtual HostIdentity QueryHostIdentity() = 0;
  // Loads the platform's device-installation library; true when it is usable.
  virtual bool LoadSetupLibrary() = 0;

  virtual void Sleep(std::uint32_t milliseconds) = 0;

  // Page-aligned memory for unbuffered device writes; nullptr when none can
  // be had. Freed with FreeAligned.
  virtual void* AllocateAligned(std::size_t size) = 0;
  virtual void FreeAligned(void* memory) = 0;

  // The names of drive N. Backends without other names answer its path.
  virtual DriveNames DriveNamesOf(std::uint32_t driveNumber);

  // The file systems that lock and dismount requests on this volume handle
  // have taken down so far, in order, whether or not the lock then held.
  // Backends that cannot tell answer none.
  virtual std::vector<Unmount> UnmountsOf(Handle) { return {}; }

  // Where the volume `name` is mounted and which processes hold it. Backends
  // that cannot tell answer its name alone, the holders unknown.
  virtual BusyVolume DescribeBusyVolume(const std::u16string& name) { return BusyVolume{name, {}, false, {}}; }

  // Sends one NVMe admin command to the controller of the drive behind the
  // handle and waits for its completion. 0 when the controller answered (its
  // status is in the command), else the Windows code of why the system could
  // not deliver it: ERROR_NOT_SUPPORTED where the drive is no NVMe drive or
  // the backend has no way to send the command, ERROR_ACCESS_DENIED where a
  // changing command comes outside a run that holds the drive.
  virtual std::uint32_t SendNvmeAdmin(Handle, NvmeAdminCommand&) { return ERROR_NOT_SUPPORTED; }

  // Sends one SCSI command to the drive behind the handle and waits for its
  // end. 0 when the device answered (its status and sense data are in the
  // command), else the Windows code of why the system could not deliver it:
  // ERROR_NOT_SUPPORTED where the backend has no way to send it,
  // ERROR_ACCESS_DENIED where a changing command comes outside a run that
  // holds the drive.
  virtual std::uint32_t SendScsi(Handle, ScsiCommand&) { return ERROR_NOT_SUPPORTED; }

  // Which of the drives' own erase commands the system passes on; backends
  // that pass every one they can send answer no limits.
  virtual EraseCommandLimits EraseLimits() { return {}; }

  // Turns bytes in the system's ANSI code page into text, one character for
  // every byte (a zero byte gives the character of code 0).
  virtual std::u16string AnsiToText(const std::uint8_t* bytes, std::size_t count) = 0;
};

inline DriveNames Os::DriveNamesOf(std::uint32_t driveNumber) {
  DriveNames names;
  names.devicePath = u"\\\\.\\PhysicalDrive";
  for (char c : std::to_string(driveNumber)) names.devicePath.push_back(static_cast<char16_t>(c));
  return names;
}

inline bool Os::ReadZeros(Handle handle, void* buffer, std::uint32_t length, std::uint32_t sectorSize,
                          std::vector<ByteSpan>* nonZero) {
  nonZero->clear();
  std::uint32_t read = 0;
  if (!ReadFile(handle, buffer, length, &read)) return false;
  if (read != length) return false;
  AddNonZeroSectors(static_cast<const std::uint8_t*>(buffer), length, sectorSize, 0, *nonZero);
  return true;
}

}  // namespace orvella
