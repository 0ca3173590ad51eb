// Files and devices: each seam request is the Win32 call of the same name,
// its result and last error handed back unchanged.
#include "platform/windows/win32_os.h"
// <windows.h> last, as the header rule of win32_os.h says.
#include "platform/windows/win32_api.h"

namespace orvella {

using win32::FromWin32;
using win32::ToWin32;

Win32Os::~Win32Os() {
  if (setupLibrary_ != nullptr) ::FreeLibrary(static_cast<HMODULE>(setupLibrary_));
}

Handle Win32Os::CreateFileW(const std::u16string& path, std::uint32_t desiredAccess, std::uint32_t shareMode,
                            std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes) {
  const HANDLE handle = ::CreateFileW(win32::Wide(path), desiredAccess, shareMode, nullptr, creationDisposition,
                                      flagsAndAttributes, nullptr);
  return FromWin32(handle);
}

bool Win32Os::CloseHandle(Handle handle) { return ::CloseHandle(ToWin32(handle)) != FALSE; }

bool Win32Os::DeviceIoControl(Handle handle, std::uint32_t controlCode, const void* inBuffer,
                              std::uint32_t inBufferSize, void* outBuffer, std::uint32_t outBufferSize,
                              std::uint32_t* bytesReturned) {
  DWORD returned = 0;
  // The input buffer is declared writable in Win32 but is only read.
  const BOOL ok = ::DeviceIoControl(ToWin32(handle), controlCode, const_cast<void*>(inBuffer), inBufferSize,
                                    outBuffer, outBufferSize, &returned, nullptr);
  if (bytesReturned != nullptr) *bytesReturned = returned;
  return ok != FALSE;
}

bool Win32Os::SetFilePointerEx(Handle handle, std::int64_t distanceToMove, std::int64_t* newFilePointer,
                               std::uint32_t moveMethod) {
  LARGE_INTEGER distance;
  distance.QuadPart = distanceToMove;
  LARGE_INTEGER position;
  position.QuadPart = 0;
  const BOOL ok = ::SetFilePointerEx(ToWin32(handle), distance, &position, moveMethod);
  if (ok != FALSE && newFilePointer != nullptr) *newFilePointer = position.QuadPart;
  return ok != FALSE;
}

bool Win32Os::WriteFile(Handle handle, const void* buffer, std::uint32_t bytesToWrite,
                        std::uint32_t* bytesWritten) {
  DWORD written = 0;
  const BOOL ok = ::WriteFile(ToWin32(handle), buffer, bytesToWrite, &written, nullptr);
  if (bytesWritten != nullptr) *bytesWritten = written;
  return ok != FALSE;
}

bool Win32Os::ReadFile(Handle handle, void* buffer, std::uint32_t bytesToRead, std::uint32_t* bytesRead) {
  DWORD read = 0;
  const BOOL ok = ::ReadFile(ToWin32(handle), buffer, bytesToRead, &read, nullptr);
  if (bytesRead != nullptr) *bytesRead = read;
  return ok != FALSE;
}

bool Win32Os::FlushFileBuffers(Handle handle) { return ::FlushFileBuffers(ToWin32(handle)) != FALSE; }

std::uint32_t Win32Os::GetLastError() { return ::GetLastError(); }

std::uint32_t Win32Os::GetLogicalDriveStringsW(std::uint32_t bufferLength, char16_t* buffer) {
  return ::GetLogicalDriveStringsW(bufferLength, reinterpret_cast<wchar_t*>(buffer));
}

}  // namespace orvella
