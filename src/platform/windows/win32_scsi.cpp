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
  std::uint32_t returned = 0;
  const auto length = static_cast<std::uint32_t>(request.size());
  // Through the backend's own call: the handle is opened for overlapped I/O,
  // and that call waits for the request's end.
  const bool ok = DeviceIoControl(handle, IOCTL_SCSI_PASS_THROUGH_DIRECT, request.data(), length, request.data(), length,
                                  &returned);
  const std::uint32_t error = ok ? 0 : GetLastError();
  if (ok) {
    ReadScsiPassThroughDirectAnswer(request, command);
    if (command.direction == ScsiCommand::Direction::In) std::memcpy(command.data.data(), buffer, size);
  }
  FreeAligned(buffer);
  return error;
}

}  // namespace orvella
