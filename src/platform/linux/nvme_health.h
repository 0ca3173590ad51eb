// An NVMe drive's SMART / Health Information log through the NVMe admin
// pass-through: Get Log Page for log 02h, controller-wide.
#pragma once

#include <array>
#include <cstdint>

#include "platform/linux/syscalls.h"

namespace orvella::linux_backend {

using NvmeHealthLogData = std::array<std::uint8_t, 512>;

// 0, or minus the errno value; a drive that refuses the command gives
// -EOPNOTSUPP, one that fails it -EIO.
int GetNvmeHealthLog(Syscalls& syscalls, int fd, NvmeHealthLogData& log);

}  // namespace orvella::linux_backend
