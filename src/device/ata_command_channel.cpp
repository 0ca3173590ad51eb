#include "device/ata_command_channel.h"

#include <algorithm>

#include "platform/byte_order.h"

namespace orvella {
namespace {

// The input and output lengths passed with each request. The input length is
// SENDCMDINPARAMS without its one-byte data buffer; the output lengths are
// the reply header and, for data commands, room well beyond one sector.
constexpr std::uint32_t kCommandInputLength = 32;
constexpr std::uint32_t kNoDataOutputLength = 527;
constexpr std::uint32_t kDataOutputLength = 1039;

// Sends a data command and takes the sector from the last 512 bytes the
// driver reports returning. A count beyond the reply area would point
// outside it and is refused like a short one.
bool SendDataRequest(Os& os, Handle handle, std::uint32_t controlCode, std::uint8_t driveNumber,
                     const TIDERegisterBlock& registers, AtaSector& data) {
  const CommandBlock block = BuildCommandBlock(kAtaSectorSize, driveNumber, registers);
  std::array<std::uint8_t, kDataOutputLength + 1> reply{};
  std::uint32_t returned = 0;
  if (!os.DeviceIoControl(handle, controlCode, block.data(), kCommandInputLength, reply.data(),
                          kDataOutputLength, &returned)) {
    return false;
  }
  if (returned < kAtaSectorSize || returned > kDataOutputLength) return false;
  std::copy_n(reply.begin() + (returned - kAtaSectorSize), kAtaSectorSize, data.begin());
  return true;
}

}  // namespace

CommandBlock BuildCommandBlock(std::uint32_t bufferSize, std::uint8_t driveNumber,
                               const TIDERegisterBlock& registers) {
  CommandBlock block{};
  PutU32(block.data(), layout::CmdInBufferSize, bufferSize);
  PutIdeRegisters(block.data() + layout::CmdInDriveRegs, registers);
  block[layout::CmdInDriveNumber] = driveNumber;
  return block;
}

std::uint8_t DriveHeadFor(std::uint8_t driveNumber) {
  return static_cast<std::uint8_t>(0xA0 | (driveNumber << 4));
}

bool SmartSendCommand(Os& os, Handle handle, std::uint8_t driveNumber, const TIDERegisterBlock& registers) {
  const CommandBlock block = BuildCommandBlock(0, driveNumber, registers);
  std::array<std::uint8_t, kNoDataOutputLength + 1> reply{};
  std::uint32_t returned = 0;
  return os.DeviceIoControl(handle, SMART_SEND_DRIVE_COMMAND, block.data(), kCommandInputLength, reply.data(),
                            kNoDataOutputLength, &returned);
}

bool SmartSendCommandForRegisters(Os& os, Handle handle, std::uint8_t driveNumber,
                                  const TIDERegisterBlock& registers, TIDERegisterBlock& answer) {
  const CommandBlock block = BuildCommandBlock(layout::IdeRegsSize, driveNumber, registers);
  std::array<std::uint8_t, kNoDataOutputLength + 1> reply{};
  std::uint32_t returned = 0;
  if (!os.DeviceIoControl(handle, SMART_SEND_DRIVE_COMMAND, block.data(), kCommandInputLength, reply.data(),
                          kNoDataOutputLength, &returned)) {
    return false;
  }
  if (returned < layout::CmdOutBuffer + layout::IdeRegsSize || returned > kNoDataOutputLength) return false;
  const std::uint8_t* regs = reply.data() + layout::CmdOutBuffer;
  answer = {regs[layout::IdeRegsFeatures], regs[layout::IdeRegsSectorCount], regs[layout::IdeRegsSectorNumber],
            regs[layout::IdeRegsCylLow],   regs[layout::IdeRegsCylHigh],     regs[layout::IdeRegsDriveHead],
            regs[layout::IdeRegsCommand]};
  return true;
}

bool SmartReceiveData(Os& os, Handle handle, std::uint8_t driveNumber, const TIDERegisterBlock& registers,
                      AtaSector& data) {
  return SendDataRequest(os, handle, SMART_RCV_DRIVE_DATA, driveNumber, registers, data);
}

bool SmartSendDataCommand(Os& os, Handle handle, std::uint8_t driveNumber,
                          const TIDERegisterBlock& registers, AtaSector& data) {
  return SendDataRequest(os, handle, SMART_SEND_DRIVE_COMMAND, driveNumber, registers, data);
}

}  // namespace orvella
