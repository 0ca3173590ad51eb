// An NVMe admin command as the program hands it to the system: the 64-byte
// submission queue entry the controller receives (the system fills in the
// data pointers), the data it carries in either direction, and what the
// controller answered (completion dword 0 and the status field).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace orvella {

inline constexpr std::size_t kNvmeEntrySize = 64;

struct NvmeAdminCommand {
  std::array<std::uint8_t, kNvmeEntrySize> entry{};
  std::vector<std::uint8_t> data;  // data-in: sized by the caller, filled by the controller
  bool dataIn = false;
  std::uint32_t timeoutMilliseconds = 20000;
  // The answer.
  std::uint32_t result = 0;  // completion dword 0
  std::uint16_t status = 0;  // status code type in 10:8, status code in 7:0; 0: success

  std::uint8_t Opcode() const { return entry[0]; }
  std::uint32_t NamespaceId() const;
  std::uint32_t Dword(int n) const;  // command dwords 10 to 15
};

namespace nvme {
inline constexpr std::uint8_t GetLogPage = 0x02;
inline constexpr std::uint8_t Identify = 0x06;
inline constexpr std::uint8_t FormatNvm = 0x80;
inline constexpr std::uint8_t Sanitize = 0x84;
inline constexpr std::uint32_t AllNamespaces = 0xFFFFFFFFu;
// Status codes of the generic command status type.
inline constexpr std::uint16_t InvalidOpcode = 0x01;
inline constexpr std::uint16_t InvalidField = 0x02;
inline constexpr std::uint16_t SanitizeFailed = 0x1C;
inline constexpr std::uint16_t SanitizeInProgress = 0x1D;
}  // namespace nvme

inline std::uint32_t NvmeAdminCommand::NamespaceId() const {
  return std::uint32_t{entry[4]} | std::uint32_t{entry[5]} << 8 | std::uint32_t{entry[6]} << 16 |
         std::uint32_t{entry[7]} << 24;
}

inline std::uint32_t NvmeAdminCommand::Dword(int n) const {
  const std::size_t at = 4 * static_cast<std::size_t>(n);
  return std::uint32_t{entry[at]} | std::uint32_t{entry[at + 1]} << 8 | std::uint32_t{entry[at + 2]} << 16 |
         std::uint32_t{entry[at + 3]} << 24;
}

}  // namespace orvella
