// IOCTL_ATA_PASS_THROUGH in terms of ATA commands: the ATA_PASS_THROUGH_EX
// block, the few reading commands it may carry, and its reply.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/linux/ata_pass_through.h"

namespace orvella::linux_backend {

struct TaskFileCommand {
  TIDERegisterBlock current;
  std::optional<TIDERegisterBlock> previous;  // set for a 48-bit command
  bool dataIn = false;
  bool dataOut = false;
  std::uint32_t dataLength = 0;
  std::uint64_t dataOffset = 0;
  std::uint32_t bufferSize = 0;  // the whole request as it came, data area included
  std::uint32_t timeoutSeconds = 0;
};
std::optional<TaskFileCommand> ParseAtaPassThrough(const std::uint8_t* in, std::uint32_t inSize);

// Only what tells how far the medium reaches passes: READ NATIVE MAX
// ADDRESS EXT and GET NATIVE MAX ADDRESS EXT (48-bit, non-data), DEVICE
// CONFIGURATION IDENTIFY (data-in of one sector), and SANITIZE STATUS EXT
// (48-bit, non-data, nothing cleared). Setting a maximum, freezing,
// restoring or changing an overlay never reaches the drive. The sanitize
// commands that erase (BLOCK ERASE, CRYPTO SCRAMBLE, OVERWRITE EXT) and
// the Security commands (SET PASSWORD, UNLOCK, ERASE PREPARE, ERASE UNIT,
// DISABLE PASSWORD, each with its password sector) pass only while the run
// holds the whole disk exclusively (`diskClaimed`); FREEZE LOCK never.
std::optional<AtaTransfer> PermittedTaskFile(const TaskFileCommand& command, bool diskClaimed = false);

// The block as it came, with the registers the drive left, then the
// sector of a data-in command at its data offset.
std::vector<std::uint8_t> TaskFileReply(const std::uint8_t* in, const TaskFileCommand& command,
                                        const AtaOutcome& outcome, const std::uint8_t* data);

}  // namespace orvella::linux_backend
