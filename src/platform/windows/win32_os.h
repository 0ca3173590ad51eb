// The OS seam answered by the Windows kernel itself: every request is the
// real call of the same name (CreateFileW, DeviceIoControl, WriteFile, ...),
// so write protection, unplugging and volume locks are whatever Windows says.
//
// Header rule of this folder: <windows.h> defines the seam's constant names
// (ERROR_*, GENERIC_*, INVALID_HANDLE_VALUE, IDOK, ...) as macros. No header
// here includes <windows.h>; a source file includes its seam headers first
// and <windows.h> (through win32_api.h) last, and after that names the
// Windows macros only, which carry the same values.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "platform/os.h"

namespace orvella {

class Win32Os final : public Os {
 public:
  Win32Os() = default;
  ~Win32Os() override;
  Win32Os(const Win32Os&) = delete;
  Win32Os& operator=(const Win32Os&) = delete;

  Handle CreateFileW(const std::u16string& path, std::uint32_t desiredAccess, std::uint32_t shareMode,
                     std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes) override;
  bool CloseHandle(Handle handle) override;
  bool DeviceIoControl(Handle handle, std::uint32_t controlCode, const void* inBuffer, std::uint32_t inBufferSize,
                       void* outBuffer, std::uint32_t outBufferSize, std::uint32_t* bytesReturned) override;
  bool SetFilePointerEx(Handle handle, std::int64_t distanceToMove, std::int64_t* newFilePointer,
                        std::uint32_t moveMethod) override;
  bool WriteFile(Handle handle, const void* buffer, std::uint32_t bytesToWrite, std::uint32_t* bytesWritten) override;
  bool ReadFile(Handle handle, void* buffer, std::uint32_t bytesToRead, std::uint32_t* bytesRead) override;
  bool FlushFileBuffers(Handle handle) override;
  std::uint32_t GetLastError() override;
  std::u16string SystemErrorText(std::uint32_t code) override;
  std::uint32_t GetLogicalDriveStringsW(std::uint32_t bufferLength, char16_t* buffer) override;
  OsVersionInfo GetVersionExW() override;
  Wow64Answer IsWow64Process() override;
  std::u16string ModuleFileName() override;
  HostIdentity QueryHostIdentity() override;
  bool LoadSetupLibrary() override;
  void Sleep(std::uint32_t milliseconds) override;
  void* AllocateAligned(std::size_t size) override;
  void FreeAligned(void* memory) override;
  std::u16string AnsiToText(const std::uint8_t* bytes, std::size_t count) override;
  std::uint32_t SendScsi(Handle handle, ScsiCommand& command) override;  // win32_scsi.cpp
  std::uint32_t SendNvmeAdmin(Handle handle, NvmeAdminCommand& command) override;
  EraseCommandLimits EraseLimits() override;
  // Reads kept in flight on the drive's own handle (overlapped ReadFile).
  std::unique_ptr<ZeroReader> StartZeroReader(Handle handle, void* buffer, std::uint32_t sectorSize) override;

 private:
  std::optional<std::int64_t> PositionOf(Handle handle);
  void MoveTo(Handle handle, std::int64_t position);

  void* setupLibrary_ = nullptr;  // the HMODULE of SetupApi.dll once loaded
  // Every handle this backend opens is opened for overlapped I/O, so that
  // the read-back can keep reads in flight on the very handle a run holds
  // exclusively (no second handle could be opened beside it). The seam's
  // own calls wait for their request, at the position kept here for each
  // handle, and so behave as on a handle opened without it.
  std::mutex positionsLock_;
  std::map<Handle, std::int64_t> positions_;
};

}  // namespace orvella
