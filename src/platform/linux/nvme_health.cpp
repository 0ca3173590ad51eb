#include "platform/linux/nvme_health.h"

#include "platform/linux/nvme_admin.h"

namespace orvella::linux_backend {
namespace {

constexpr std::uint8_t kGetLogPage = 0x02;
constexpr std::uint32_t kHealthLog = 0x02;
constexpr std::uint32_t kAllNamespaces = 0xFFFFFFFFu;

}  // namespace

int GetNvmeHealthLog(Syscalls& syscalls, int fd, NvmeHealthLogData& log) {
  // The number of dwords less one goes in bits 16-31 of dword 10 (its
  // upper half in dword 11 stays 0 for 512 bytes).
  constexpr std::uint32_t kDwordsLessOne = sizeof(NvmeHealthLogData) / 4 - 1;
  nvme_admin_cmd command{};
  command.opcode = kGetLogPage;
  command.nsid = kAllNamespaces;
  command.addr = reinterpret_cast<std::uintptr_t>(log.data());
  command.data_len = static_cast<std::uint32_t>(log.size());
  command.cdw10 = kDwordsLessOne << 16 | kHealthLog;
  return RunNvmeAdminCommand(syscalls, fd, command);
}

}  // namespace orvella::linux_backend
