// ATA commands beyond the S.M.A.R.T. requests, through IOCTL_ATA_PASS_THROUGH
// with an ATA_PASS_THROUGH_EX block: the whole task file goes to the drive
// and comes back, so 48-bit commands and commands that answer in their
// registers (a native maximum address) can be sent. A data-out command
// (the Security feature set's passwords) carries one sector to the drive.
#pragma once

#include <cstdint>

#include "device/ata_command_channel.h"
#include "platform/os.h"

namespace orvella {

// One command: the task file (and, for a 48-bit command, the high-order
// bytes in `previous`), and whether one sector comes back.
struct AtaTaskFileCommand {
  TIDERegisterBlock current;
  TIDERegisterBlock previous;
  bool ext48 = false;
  bool dataIn = false;
  bool dataOut = false;
  std::uint32_t timeoutSeconds = 20;
};

// The registers the drive left when the command ended.
struct AtaTaskFileResult {
  TIDERegisterBlock current;
  TIDERegisterBlock previous;

  // The 48-bit address in the LBA registers (28-bit: the low three bytes).
  std::uint64_t Lba48() const;
};

// Sends the command. True when the request succeeded, the reply holds the
// whole block (and sector), and the drive's status shows no error; then
// `result` (and `data` for a data-in command) are written. A data-out
// command sends `data`.
bool AtaPassThrough(Os& os, Handle handle, const AtaTaskFileCommand& command, AtaTaskFileResult& result,
                    AtaSector* data = nullptr);

// The same, for a command whose failure is itself an answer: true when the
// request reached the drive and came back whole; `aborted` tells whether the
// drive's status shows an error, and `result` holds the registers it left.
bool AtaPassThroughRegisters(Os& os, Handle handle, const AtaTaskFileCommand& command, AtaTaskFileResult& result,
                             bool& aborted, AtaSector* data = nullptr);

}  // namespace orvella
