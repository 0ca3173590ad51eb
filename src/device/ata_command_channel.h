// The ATA command channel: one register block and a drive number handed to
// the driver through the S.M.A.R.T. pass-through requests on an open drive
// handle. Success is a boolean; the driver status in the reply is not read.
#pragma once

#include <array>
#include <cstdint>

#include "platform/ide_registers.h"
#include "platform/os.h"

namespace orvella {

// One 512-byte sector of ATA data (IDENTIFY data, a S.M.A.R.T. page).
inline constexpr std::size_t kAtaSectorSize = 512;
using AtaSector = std::array<std::uint8_t, kAtaSectorSize>;

// The SENDCMDINPARAMS block of a request, zero but for the buffer size, the
// registers (IDEREGS.bReserved stays 0) and the drive number.
using CommandBlock = std::array<std::uint8_t, layout::CmdInParamsSize>;
CommandBlock BuildCommandBlock(std::uint32_t bufferSize, std::uint8_t driveNumber,
                               const TIDERegisterBlock& registers);

// A0h for drive 0 (master), B0h for drive 1 (slave).
std::uint8_t DriveHeadFor(std::uint8_t driveNumber);

// A command without data transfer (SMART_SEND_DRIVE_COMMAND).
bool SmartSendCommand(Os& os, Handle handle, std::uint8_t driveNumber, const TIDERegisterBlock& registers);

// A command without data transfer that answers in its registers (SMART
// RETURN STATUS): the driver hands back the IDEREGS the drive left, which
// go to `answer` on success.
bool SmartSendCommandForRegisters(Os& os, Handle handle, std::uint8_t driveNumber,
                                  const TIDERegisterBlock& registers, TIDERegisterBlock& answer);

// A command that returns one sector, through SMART_RCV_DRIVE_DATA. `data` is
// written only on success.
bool SmartReceiveData(Os& os, Handle handle, std::uint8_t driveNumber, const TIDERegisterBlock& registers,
                      AtaSector& data);

// The same data command through SMART_SEND_DRIVE_COMMAND.
bool SmartSendDataCommand(Os& os, Handle handle, std::uint8_t driveNumber,
                          const TIDERegisterBlock& registers, AtaSector& data);

}  // namespace orvella
