// SCSI commands through IOCTL_SCSI_PASS_THROUGH_DIRECT: the data moves
// through page-aligned memory of the program's own (adapters want aligned
// buffers), the sense bytes come back after the structure.
#include <cstring>

#include "platform/windows/scsi_pass_through_direct.h"
#include "platform/windows/win32_os.h"
// <windows.h> last, as the header rule of win32_os.h says.
#include "platform/windows/win32_api.h"

namespace orvella {

std::uint32_t Win32Os::SendScsi(Handle handle, ScsiCommand& command) {
  const std::size_t size = command.direction == ScsiCommand::Direction::None ? 0 : command.data.size();
  void* buffer = size == 0 ? nullptr : AllocateAligned(size);
  if (size != 0 && buffer == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
  if (command.direction == ScsiCommand::Direction::Out) std::memcpy(buffer, command.data.data(), size);
  std::vector<std::uint8_t> request = ScsiPassThroughDirectRequest(command, buffer);
  DWORD returned = 0;
  const auto length = static_cast<DWORD>(request.size());
  const BOOL ok = ::DeviceIoControl(win32::ToWin32(handle), IOCTL_SCSI_PASS_THROUGH_DIRECT, request.data(), length,
                                    request.data(), length, &returned, nullptr);
  const DWORD error = ok != FALSE ? 0 : ::GetLastError();
  if (ok != FALSE) {
    ReadScsiPassThroughDirectAnswer(request, command);
    if (command.direction == ScsiCommand::Direction::In) std::memcpy(command.data.data(), buffer, size);
  }
  FreeAligned(buffer);
  return error;
}

}  // namespace orvella
