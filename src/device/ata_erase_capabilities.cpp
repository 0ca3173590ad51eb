#include "device/ata_erase_capabilities.h"

#include "platform/byte_order.h"

namespace orvella {
namespace {

struct Word {
  std::uint16_t value;
  bool Bit(int n) const { return (value >> n & 1) != 0; }
};

Word WordOf(const std::uint8_t* identify, int n) { return Word{GetU16(identify, 2 * static_cast<std::size_t>(n))}; }

// Words 89 and 90: bit 15 set gives the time in bits 14:0, clear in bits
// 7:0; each unit is two minutes; 0 means the drive gives no estimate.
std::optional<std::uint32_t> EraseMinutes(Word word) {
  const std::uint32_t units = word.Bit(15) ? word.value & 0x7FFFu : word.value & 0xFFu;
  if (units == 0) return std::nullopt;
  return units * 2;
}

}  // namespace

AtaEraseCapabilities DecodeAtaEraseCapabilities(const std::uint8_t* identify) {
  AtaEraseCapabilities caps;
  const Word w59 = WordOf(identify, 59);
  caps.sanitizeSupported = w59.Bit(12);
  if (caps.sanitizeSupported) {
    caps.cryptoScramble = w59.Bit(13);
    caps.overwrite = w59.Bit(14);
    caps.blockErase = w59.Bit(15);
    caps.antifreezeLock = w59.Bit(10);
  }
  const Word w128 = WordOf(identify, 128);
  caps.securitySupported = WordOf(identify, 82).Bit(1) && w128.Bit(0);
  if (!caps.securitySupported) return caps;
  caps.securityEnabled = w128.Bit(1);
  caps.securityLocked = w128.Bit(2);
  caps.securityFrozen = w128.Bit(3);
  caps.securityCountExpired = w128.Bit(4);
  caps.enhancedEraseSupported = w128.Bit(5);
  caps.masterPasswordMaximum = w128.Bit(8);
  caps.normalEraseMinutes = EraseMinutes(WordOf(identify, 89));
  caps.enhancedEraseMinutes = EraseMinutes(WordOf(identify, 90));
  return caps;
}

AtaSanitizeStatus DecodeAtaSanitizeStatus(std::uint16_t count, std::uint64_t lba, bool commandAborted) {
  AtaSanitizeStatus status;
  status.completedWithoutError = (count & 0x8000u) != 0;
  status.inProgress = (count & 0x4000u) != 0;
  status.frozen = (count & 0x2000u) != 0;
  status.antifreeze = (count & 0x1000u) != 0;
  status.progress = static_cast<std::uint16_t>(lba & 0xFFFFu);
  status.lastSanitizeFailed = commandAborted;
  if (commandAborted) status.failureReason = static_cast<std::uint8_t>(lba & 0xFFu);
  return status;
}

const char16_t* AtaSanitizeFailureText(std::uint8_t reason) {
  switch (reason) {
    case 0x01: return u"the sanitize operation did not succeed";
    case 0x02: return u"the drive refused the sanitize command's feature value";
    case 0x03: return u"the drive is in the sanitize frozen state";
    case 0x04: return u"a freeze lock was refused because the antifreeze lock is set";
    default: return u"the drive gave no reason";
  }
}

}  // namespace orvella
