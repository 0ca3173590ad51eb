#include "platform/linux/nvme_identify.h"

#include <linux/nvme_ioctl.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>

#include "platform/byte_order.h"
#include "platform/error_codes.h"
#include "platform/linux/error_mapping.h"
#include "platform/linux/nvme_admin.h"

namespace orvella::linux_backend {
namespace {

constexpr std::uint8_t kIdentifyOpcode = 0x06;
constexpr std::uint32_t kCnsNamespace = 0;
constexpr std::uint32_t kCnsController = 1;

// Controller fields.
constexpr std::size_t kSerial = 4, kSerialLength = 20;
constexpr std::size_t kModel = 24, kModelLength = 40;
constexpr std::size_t kFirmware = 64, kFirmwareLength = 8;
// Namespace fields.
constexpr std::size_t kNamespaceSize = 0;      // u64, in the namespace's blocks
constexpr std::size_t kFormattedLbaSize = 26;  // u8: the format in use
constexpr std::size_t kLbaFormats = 128;       // u32 each: bits 16-23 log2 of the block size

// ATA words.
constexpr std::size_t kWordSerial = 10, kWordFirmware = 23, kWordModel = 27;
constexpr std::uint16_t kLbaSupported = 0x0200;    // word 49 bit 9
constexpr std::uint16_t kLba48Supported = 0x4400;  // word 83 bits 10 and 14
constexpr std::uint16_t kLba48Enabled = 0x0400;    // word 86 bit 10
constexpr std::uint32_t kLba28Limit = 0x0FFFFFFF;

// ATA keeps two characters per word, the first in the high byte.
void PutAtaText(AtaIdentifyData& ata, std::size_t firstWord, const std::uint8_t* text, std::size_t length) {
  for (std::size_t i = 0; i + 1 < length; i += 2) {
    ata[2 * firstWord + i] = text[i + 1];
    ata[2 * firstWord + i + 1] = text[i];
  }
}

void PutWord(AtaIdentifyData& ata, std::size_t word, std::uint16_t value) { PutU16(ata.data(), 2 * word, value); }

int Identify(Syscalls& syscalls, int fd, std::uint32_t cns, std::uint32_t nsid, NvmeIdentifyData& data) {
  nvme_admin_cmd command{};
  command.opcode = kIdentifyOpcode;
  command.nsid = nsid;
  command.addr = reinterpret_cast<std::uintptr_t>(data.data());
  command.data_len = static_cast<std::uint32_t>(data.size());
  command.cdw10 = cns;
  return RunNvmeAdminCommand(syscalls, fd, command);
}

}  // namespace

AtaIdentifyData AtaIdentifyFromNvme(const NvmeIdentifyData& controller, const NvmeIdentifyData& space) {
  AtaIdentifyData ata{};
  PutWord(ata, 0, 0x0040);  // fixed drive
  PutAtaText(ata, kWordSerial, controller.data() + kSerial, kSerialLength);
  PutAtaText(ata, kWordFirmware, controller.data() + kFirmware, kFirmwareLength);
  PutAtaText(ata, kWordModel, controller.data() + kModel, kModelLength);

  const std::uint8_t format = space[kFormattedLbaSize] & 0x0F;
  const unsigned shift = GetU8(space.data(), kLbaFormats + 4 * format + 2);
  const std::uint64_t blocks = static_cast<std::uint64_t>(GetI64(space.data(), kNamespaceSize));
  const std::uint64_t sectors = shift >= 9 && shift < 32 ? blocks << (shift - 9) : 0;
  PutWord(ata, 49, kLbaSupported);
  const auto lba28 = static_cast<std::uint32_t>(std::min<std::uint64_t>(sectors, kLba28Limit));
  PutWord(ata, 60, static_cast<std::uint16_t>(lba28));
  PutWord(ata, 61, static_cast<std::uint16_t>(lba28 >> 16));
  PutWord(ata, 83, kLba48Supported);
  PutWord(ata, 86, kLba48Enabled);
  for (std::size_t i = 0; i < 4; ++i) PutWord(ata, 100 + i, static_cast<std::uint16_t>(sectors >> (16 * i)));
  PutWord(ata, 217, 0x0001);  // non-rotating medium
  return ata;
}

std::optional<AtaIdentifyData> IdentifyNvmeAsAta(Syscalls& syscalls, int fd, std::uint32_t& error) {
  const int nsid = syscalls.Ioctl(fd, NVME_IOCTL_ID, nullptr);
  NvmeIdentifyData controller{}, space{};
  int result = nsid <= 0 ? (nsid < 0 ? nsid : -ENOTTY) : Identify(syscalls, fd, kCnsController, 0, controller);
  if (result == 0) result = Identify(syscalls, fd, kCnsNamespace, static_cast<std::uint32_t>(nsid), space);
  if (result < 0) {
    const bool unsupported = result == -ENOTTY || result == -EINVAL || result == -EOPNOTSUPP;
    error = unsupported ? ERROR_INVALID_FUNCTION : WindowsErrorOf(-result);
    return std::nullopt;
  }
  error = ERROR_SUCCESS;
  return AtaIdentifyFromNvme(controller, space);
}

}  // namespace orvella::linux_backend
