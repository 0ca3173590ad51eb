// Files and devices: each seam request is the Win32 call of the same name,
// its result and last error handed back unchanged. Handles are opened for
// overlapped I/O (see win32_os.h); a request on one of them names its
// position and is waited for, so the caller sees a synchronous call.
#include "platform/windows/win32_os.h"
// <windows.h> last, as the header rule of win32_os.h says.
#include "platform/windows/win32_api.h"

namespace orvella {

using win32::FromWin32;
using win32::ToWin32;

namespace {

// One overlapped request with an event of its own, so that requests in
// flight on the same handle (the read-back's) do not wake its waiter.
class Request {
 public:
  explicit Request(std::int64_t position) {
    overlapped_.Offset = static_cast<DWORD>(position);
    overlapped_.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(position) >> 32);
    overlapped_.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  ~Request() {
    if (overlapped_.hEvent != nullptr) ::CloseHandle(overlapped_.hEvent);
  }
  Request(const Request&) = delete;
  Request& operator=(const Request&) = delete;
  OVERLAPPED* Overlapped() { return &overlapped_; }
  // Waits for the request that the call returning `started` began.
  bool Finish(HANDLE handle, BOOL started, DWORD* moved) {
    if (started == FALSE && ::GetLastError() != ERROR_IO_PENDING) return false;
    return ::GetOverlappedResult(handle, &overlapped_, moved, TRUE) != FALSE;
  }

 private:
  OVERLAPPED overlapped_{};
};

// A handle this backend did not open (or has closed) has no position.
bool NotOpened() {
  ::SetLastError(ERROR_INVALID_HANDLE);
  return false;
}

}  // namespace

Win32Os::~Win32Os() {
  if (setupLibrary_ != nullptr) ::FreeLibrary(static_cast<HMODULE>(setupLibrary_));
}

std::optional<std::int64_t> Win32Os::PositionOf(Handle handle) {
  const std::lock_guard<std::mutex> hold(positionsLock_);
  const auto found = positions_.find(handle);
  if (found == positions_.end()) return std::nullopt;
  return found->second;
}

void Win32Os::MoveTo(Handle handle, std::int64_t position) {
  const std::lock_guard<std::mutex> hold(positionsLock_);
  positions_[handle] = position;
}

Handle Win32Os::CreateFileW(const std::u16string& path, std::uint32_t desiredAccess, std::uint32_t shareMode,
                            std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes) {
  const HANDLE handle = ::CreateFileW(win32::Wide(path), desiredAccess, shareMode, nullptr, creationDisposition,
                                      flagsAndAttributes | FILE_FLAG_OVERLAPPED, nullptr);
  if (handle != INVALID_HANDLE_VALUE) MoveTo(FromWin32(handle), 0);
  return FromWin32(handle);
}

bool Win32Os::CloseHandle(Handle handle) {
  {
    const std::lock_guard<std::mutex> hold(positionsLock_);
    positions_.erase(handle);
  }
  return ::CloseHandle(ToWin32(handle)) != FALSE;
}

bool Win32Os::DeviceIoControl(Handle handle, std::uint32_t controlCode, const void* inBuffer,
                              std::uint32_t inBufferSize, void* outBuffer, std::uint32_t outBufferSize,
                              std::uint32_t* bytesReturned) {
  DWORD returned = 0;
  Request request(0);
  // The input buffer is declared writable in Win32 but is only read.
  const BOOL started = ::DeviceIoControl(ToWin32(handle), controlCode, const_cast<void*>(inBuffer), inBufferSize,
                                         outBuffer, outBufferSize, &returned, request.Overlapped());
  const bool ok = PositionOf(handle) ? request.Finish(ToWin32(handle), started, &returned) : started != FALSE;
  if (bytesReturned != nullptr) *bytesReturned = returned;
  return ok;
}

// Only moves from the start are part of the seam; like Windows, a move
// before the start fails.
bool Win32Os::SetFilePointerEx(Handle handle, std::int64_t distanceToMove, std::int64_t* newFilePointer,
                               std::uint32_t moveMethod) {
  if (!PositionOf(handle)) return NotOpened();
  if (moveMethod != FILE_BEGIN || distanceToMove < 0) {
    ::SetLastError(moveMethod != FILE_BEGIN ? ERROR_INVALID_PARAMETER : ERROR_NEGATIVE_SEEK);
    return false;
  }
  MoveTo(handle, distanceToMove);
  if (newFilePointer != nullptr) *newFilePointer = distanceToMove;
  ::SetLastError(0);
  return true;
}

bool Win32Os::WriteFile(Handle handle, const void* buffer, std::uint32_t bytesToWrite,
                        std::uint32_t* bytesWritten) {
  DWORD written = 0;
  const std::optional<std::int64_t> position = PositionOf(handle);
  if (!position) return NotOpened();
  Request request(*position);
  const BOOL started = ::WriteFile(ToWin32(handle), buffer, bytesToWrite, nullptr, request.Overlapped());
  const bool ok = request.Finish(ToWin32(handle), started, &written);
  MoveTo(handle, *position + written);
  if (bytesWritten != nullptr) *bytesWritten = written;
  return ok;
}

bool Win32Os::ReadFile(Handle handle, void* buffer, std::uint32_t bytesToRead, std::uint32_t* bytesRead) {
  DWORD read = 0;
  const std::optional<std::int64_t> position = PositionOf(handle);
  if (!position) return NotOpened();
  Request request(*position);
  const BOOL started = ::ReadFile(ToWin32(handle), buffer, bytesToRead, nullptr, request.Overlapped());
  bool ok = request.Finish(ToWin32(handle), started, &read);
  // At the end of a file a synchronous read succeeds with nothing read.
  if (!ok && ::GetLastError() == ERROR_HANDLE_EOF) {
    ::SetLastError(0);
    ok = true;
    read = 0;
  }
  MoveTo(handle, *position + read);
  if (bytesRead != nullptr) *bytesRead = read;
  return ok;
}

bool Win32Os::FlushFileBuffers(Handle handle) { return ::FlushFileBuffers(ToWin32(handle)) != FALSE; }

std::uint32_t Win32Os::GetLastError() { return ::GetLastError(); }

std::uint32_t Win32Os::GetLogicalDriveStringsW(std::uint32_t bufferLength, char16_t* buffer) {
  return ::GetLogicalDriveStringsW(bufferLength, reinterpret_cast<wchar_t*>(buffer));
}

}  // namespace orvella
