#include "platform/linux/nvme_admin.h"

#include <cerrno>

namespace orvella::linux_backend {
namespace {

constexpr int kInvalidOpcode = 0x01;
constexpr int kInvalidField = 0x02;

}  // namespace

int RunNvmeAdminCommand(Syscalls& syscalls, int fd, nvme_admin_cmd& command) {
  command.timeout_ms = kNvmeAdminTimeoutMs;
  const int result = syscalls.Ioctl(fd, NVME_IOCTL_ADMIN_CMD, &command);
  if (result <= 0) return result;
  // A positive result is the drive's status: type in bits 8-10, code below.
  const bool refused =
      ((result >> 8) & 0x7) == 0 && ((result & 0xFF) == kInvalidOpcode || (result & 0xFF) == kInvalidField);
  return refused ? -EOPNOTSUPP : -EIO;
}

int RunNvmeAdminEntry(Syscalls& syscalls, int fd, NvmeAdminCommand& command) {
  nvme_admin_cmd kernel{};
  kernel.opcode = command.Opcode();
  kernel.nsid = command.NamespaceId();
  kernel.cdw10 = command.Dword(10);
  kernel.cdw11 = command.Dword(11);
  kernel.cdw12 = command.Dword(12);
  kernel.cdw13 = command.Dword(13);
  kernel.cdw14 = command.Dword(14);
  kernel.cdw15 = command.Dword(15);
  kernel.addr = reinterpret_cast<std::uintptr_t>(command.data.data());
  kernel.data_len = static_cast<std::uint32_t>(command.data.size());
  kernel.timeout_ms = command.timeoutMilliseconds;
  const int result = syscalls.Ioctl(fd, NVME_IOCTL_ADMIN_CMD, &kernel);
  if (result < 0) return result;
  command.status = static_cast<std::uint16_t>(result & 0x7FF);
  command.result = kernel.result;
  return 0;
}

}  // namespace orvella::linux_backend
