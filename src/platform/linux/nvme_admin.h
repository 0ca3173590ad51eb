// One NVMe admin command through NVME_IOCTL_ADMIN_CMD, with the drive's
// status turned into an errno value.
#pragma once

#include <linux/nvme_ioctl.h>
#include <sys/ioctl.h>

#include "platform/linux/syscalls.h"

namespace orvella::linux_backend {

inline constexpr unsigned kNvmeAdminTimeoutMs = 20000;

// 0, or minus the errno value: a drive that refuses the command (invalid
// opcode or field) gives -EOPNOTSUPP, one that fails it otherwise -EIO.
int RunNvmeAdminCommand(Syscalls& syscalls, int fd, nvme_admin_cmd& command);

}  // namespace orvella::linux_backend
