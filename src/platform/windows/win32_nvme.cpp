// NVMe admin commands on Windows, as the storage stack lets a program send
// them (nvme_storage_requests.h), and which of the drives' own erase
// commands Windows passes at all.
#include "platform/nvme_storage_requests.h"
#include "platform/windows/win32_os.h"
// <windows.h> last, as the header rule of win32_os.h says.
#include "platform/windows/win32_api.h"

namespace orvella {
namespace {

constexpr std::uint8_t kSanitizeLogPage = 0x81;
constexpr std::uint32_t kSanitizeLogSize = 512;
// SSTAT, the low bits of the log's bytes 2-3.
constexpr std::uint8_t kSanitizeInProgress = 2;
constexpr std::uint8_t kSanitizeFailed = 3;

// What a driver answers to a query it does not take.
bool NotTaken(DWORD error) {
  return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_PARAMETER;
}

// Windows PE marks itself with this key; a full Windows has none.
bool UnderWindowsPe() {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\MiniNT", 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return false;
  ::RegCloseKey(key);
  return true;
}

NvmeAdminCommand SanitizeLogCommand() {
  NvmeAdminCommand command;
  command.entry[0] = nvme::GetLogPage;
  for (int i = 4; i < 8; ++i) command.entry[i] = 0xFF;  // all namespaces
  const std::uint32_t dword10 = kSanitizeLogPage | (kSanitizeLogSize / 4 - 1) << 16;
  for (int i = 0; i < 4; ++i) command.entry[40 + i] = static_cast<std::uint8_t>(dword10 >> (8 * i));
  command.dataIn = true;
  command.data.assign(kSanitizeLogSize, 0);
  return command;
}

}  // namespace

std::uint32_t Win32Os::SendNvmeAdmin(Handle handle, NvmeAdminCommand& command) {
  std::optional<NvmeStorageRequest> request = NvmeRequestFor(command);
  if (!request) return ERROR_NOT_SUPPORTED;
  std::vector<std::uint8_t> answer(request->outSize);
  DWORD returned = 0;
  const auto send = [&] {
    return ::DeviceIoControl(win32::ToWin32(handle), request->controlCode, request->in.data(),
                             static_cast<DWORD>(request->in.size()), answer.empty() ? nullptr : answer.data(),
                             static_cast<DWORD>(answer.size()), &returned, nullptr) != FALSE;
  };
  if (request->PropertyQuery()) {
    bool answered = send();
    if (!answered && NotTaken(::GetLastError())) {
      SwapQueryTarget(*request);
      answered = send();
    }
    if (!answered) return NotTaken(::GetLastError()) ? ERROR_NOT_SUPPORTED : ::GetLastError();
    return ReadNvmeQueryAnswer(answer.data(), returned, command) ? 0 : ERROR_IO_DEVICE;
  }
  // A sanitize: Windows answers once the drive has taken it, or after
  // waiting for it as long as the command's timeout. A sanitize that
  // outlasts that wait goes on in the drive, so a failure is checked
  // against the drive's sanitize status log before it is believed.
  if (send()) {
    command.status = 0;
    return 0;
  }
  const DWORD error = ::GetLastError();
  NvmeAdminCommand log = SanitizeLogCommand();
  if (SendNvmeAdmin(handle, log) != 0) return error;
  const std::uint8_t state = log.data[2] & 0x7;
  if (state == kSanitizeInProgress) command.status = 0;
  else if (state == kSanitizeFailed) command.status = nvme::SanitizeFailed;
  else return error;
  return 0;
}

EraseCommandLimits Win32Os::EraseLimits() { return WindowsEraseLimits(UnderWindowsPe()); }

}  // namespace orvella
