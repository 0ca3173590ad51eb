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

}  // namespace orvella::linux_backend
