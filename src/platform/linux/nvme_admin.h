// One NVMe admin command through NVME_IOCTL_ADMIN_CMD, with the drive's
// status turned into an errno value.
#pragma once

#include <linux/nvme_ioctl.h>
#include <sys/ioctl.h>

#include "platform/linux/syscalls.h"
#include "platform/nvme_admin_command.h"

namespace orvella::linux_backend {

inline constexpr unsigned kNvmeAdminTimeoutMs = 20000;

// 0, or minus the errno value: a drive that refuses the command (invalid
// opcode or field) gives -EOPNOTSUPP, one that fails it otherwise -EIO.
int RunNvmeAdminCommand(Syscalls& syscalls, int fd, nvme_admin_cmd& command);

// The program's admin command as the kernel takes it: 0 when the controller
// answered (its status and completion dword 0 are then in `command`), or
// minus the errno value when the kernel could not deliver it.
int RunNvmeAdminEntry(Syscalls& syscalls, int fd, NvmeAdminCommand& command);

}  // namespace orvella::linux_backend
