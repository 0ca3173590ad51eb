// What an ATA drive says, without being changed, about the erases it can do
// itself: the SANITIZE feature set (IDENTIFY word 59), the Security feature
// set (words 82 and 128) with its erase time estimates (words 89 and 90),
// and the state SANITIZE STATUS EXT reports in its registers.
#pragma once

#include <cstdint>
#include <optional>

namespace orvella {

struct AtaEraseCapabilities {
  bool sanitizeSupported = false;      // word 59 bit 12
  bool cryptoScramble = false;         // word 59 bit 13
  bool overwrite = false;              // word 59 bit 14
  bool blockErase = false;             // word 59 bit 15
  bool antifreezeLock = false;         // word 59 bit 10: SANITIZE ANTIFREEZE LOCK EXT is offered
  bool securitySupported = false;      // word 82 bit 1 and word 128 bit 0
  bool securityEnabled = false;        // word 128 bit 1: a user password is set
  bool securityLocked = false;         // word 128 bit 2
  bool securityFrozen = false;         // word 128 bit 3
  bool securityCountExpired = false;   // word 128 bit 4: too many wrong passwords since power-on
  bool enhancedEraseSupported = false; // word 128 bit 5
  bool masterPasswordMaximum = false;  // word 128 bit 8: security level Maximum
  // The drive's estimates of SECURITY ERASE UNIT in minutes (words 89, 90);
  // none when the drive gives none.
  std::optional<std::uint32_t> normalEraseMinutes;
  std::optional<std::uint32_t> enhancedEraseMinutes;
};

// Decodes the 512 bytes of IDENTIFY DEVICE data.
AtaEraseCapabilities DecodeAtaEraseCapabilities(const std::uint8_t* identify);

// The answer of SANITIZE STATUS EXT, read from its output registers: COUNT
// (15:0) and LBA (47:0), and the ERROR register when the command failed.
struct AtaSanitizeStatus {
  bool completedWithoutError = false;  // COUNT bit 15
  bool inProgress = false;             // COUNT bit 14
  bool frozen = false;                 // COUNT bit 13
  bool antifreeze = false;             // COUNT bit 12
  std::uint16_t progress = 0;          // LBA 15:0, of 0xFFFF, while in progress
  // The command itself failed (ERROR register ABORT): the last sanitize
  // failed, and LBA 7:0 gives the drive's reason.
  bool lastSanitizeFailed = false;
  std::uint8_t failureReason = 0;
};

AtaSanitizeStatus DecodeAtaSanitizeStatus(std::uint16_t count, std::uint64_t lba, bool commandAborted);

// The drive's reason for a failed sanitize, in words.
const char16_t* AtaSanitizeFailureText(std::uint8_t reason);

}  // namespace orvella
