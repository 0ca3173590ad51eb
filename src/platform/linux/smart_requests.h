// The Windows S.M.A.R.T. and miniport requests in terms of ATA commands:
// which commands each request may carry, and the reply layouts
// (GETVERSIONINPARAMS, SENDCMDOUTPARAMS, the miniport header).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/linux/ata_pass_through.h"

namespace orvella::linux_backend {

// The command block of a SENDCMDINPARAMS (at least 32 bytes).
struct SmartCommand {
  std::uint32_t bufferSize = 0;
  TIDERegisterBlock registers;
  std::uint8_t driveNumber = 0;
};
std::optional<SmartCommand> ParseSendCmdIn(const std::uint8_t* in, std::uint32_t inSize);

// How a request may run a command. Only the reading commands the program
// uses pass: IDENTIFY DEVICE and SMART READ DATA / READ THRESHOLDS as data-in
// (through the receive request, or the send request with a data buffer),
// SMART ENABLE / DISABLE OPERATIONS and RETURN STATUS as non-data through
// the send request. Nothing that writes to the drive ever reaches it.
std::optional<AtaTransfer> PermittedTransfer(std::uint32_t controlCode, const SmartCommand& command);

// SMART RETURN STATUS answers in the registers: its reply data is the
// IDEREGS the drive left.
bool AnswersInRegisters(const SmartCommand& command);
std::vector<std::uint8_t> RegistersReply(const TIDERegisterBlock& registers);

// GETVERSIONINPARAMS of an ATA drive in the given position (0 master, 1 slave).
std::vector<std::uint8_t> SmartVersionReply(std::uint8_t position);

// SENDCMDOUTPARAMS: the data (empty for non-data) after the driver status.
std::vector<std::uint8_t> SendCmdOutReply(const AtaOutcome& outcome, const std::uint8_t* data, std::size_t size);

// The miniport identify request: a 28-byte SRB_IO_CONTROL header with the
// "SCSIDISK" signature and IOCTL_SCSI_MINIPORT_IDENTIFY, then SENDCMDINPARAMS.
inline constexpr std::uint32_t kMiniportReplySize = 28 + 16 + 512;
std::optional<SmartCommand> ParseMiniportIdentify(const std::uint8_t* in, std::uint32_t inSize);
std::vector<std::uint8_t> MiniportReply(const std::uint8_t* header, const AtaOutcome& outcome,
                                        const std::uint8_t* data);

}  // namespace orvella::linux_backend
