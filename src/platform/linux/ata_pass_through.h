// ATA commands through the SCSI generic SG_IO request with the SAT command
// ATA PASS-THROUGH(16): building the command block, and judging the answer
// in order (the ioctl result, the host, the driver, the SCSI status, then the
// ATA status from descriptor or fixed format sense data).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/ide_registers.h"
#include "platform/linux/syscalls.h"

namespace orvella::linux_backend {

enum class AtaTransfer {
  None,      // non-data, the registers asked back: SMART ENABLE / DISABLE OPERATIONS, RETURN STATUS,
             // the native maximum commands
  PioIn512,  // PIO data-in of one 512-byte sector: IDENTIFY, SMART READ DATA / THRESHOLDS,
             // DEVICE CONFIGURATION IDENTIFY
  PioOut512, // PIO data-out of one 512-byte sector: the Security commands' password
};

inline constexpr std::size_t kAtaSectorSize = 512;
inline constexpr std::uint32_t kAtaTimeoutMilliseconds = 20000;

using Cdb16 = std::array<std::uint8_t, 16>;
// `previous` makes it a 48-bit command (EXTEND) and gives the high-order
// bytes of features, count and LBA.
Cdb16 AtaPassThroughCdb(const TIDERegisterBlock& registers, AtaTransfer transfer,
                        const std::optional<TIDERegisterBlock>& previous = std::nullopt);

struct SenseFacts {
  bool valid = false;
  std::uint8_t key = 0;
  std::uint8_t asc = 0;
  std::uint8_t ascq = 0;
  bool hasAtaRegisters = false;
  std::uint8_t ataError = 0;
  std::uint8_t ataStatus = 0;
  // The registers the drive left: the low bytes in `registers`, the high
  // bytes of a 48-bit answer in `previous` (only descriptor sense has them;
  // fixed sense only says whether they are zero).
  TIDERegisterBlock registers;
  TIDERegisterBlock previous;
  bool highBytesKnown = false;
};
SenseFacts DecodeSense(const std::uint8_t* sense, std::size_t length);

// What came back from one SG_IO request.
struct SgAnswer {
  int ioctlResult = 0;  // 0, or minus the errno value
  std::uint16_t hostStatus = 0;
  std::uint16_t driverStatus = 0;
  std::uint8_t scsiStatus = 0;
  const std::uint8_t* sense = nullptr;
  std::size_t senseLength = 0;
};

// The Windows code of why SG_IO did not carry the command to the device and
// back (the ioctl, the host, the driver), or 0 when it did.
std::uint32_t SgDeliveryError(const SgAnswer& answer);

// The Windows code of the outcome (0 when the command ran), with the ATA
// error and status registers where the sense data carried them.
struct AtaOutcome {
  std::uint32_t error = 0;
  std::uint8_t ataError = 0;
  std::uint8_t ataStatus = 0;
  // The registers after a non-data command, where the sense data held them.
  std::optional<TIDERegisterBlock> registers;
  std::optional<TIDERegisterBlock> previous;  // only when the high bytes are known
};
AtaOutcome JudgeAtaAnswer(const SgAnswer& answer);

// Runs one command; data receives the 512 bytes of a data-in command, or
// holds those of a data-out command.
AtaOutcome RunAtaCommand(Syscalls& syscalls, int fd, const TIDERegisterBlock& registers, AtaTransfer transfer,
                         std::uint8_t* data, const std::optional<TIDERegisterBlock>& previous = std::nullopt,
                         std::uint32_t timeoutMilliseconds = kAtaTimeoutMilliseconds);

}  // namespace orvella::linux_backend
