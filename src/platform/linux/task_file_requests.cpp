#include "platform/linux/task_file_requests.h"

#include <algorithm>

#include "platform/byte_order.h"
#include "platform/control_codes.h"

namespace orvella::linux_backend {
namespace {

constexpr std::uint8_t kStatusReady = 0x50;  // DRDY, DSC: what a data-in command ends with

}  // namespace

std::optional<TaskFileCommand> ParseAtaPassThrough(const std::uint8_t* in, std::uint32_t inSize) {
  if (in == nullptr || inSize < layout::AtaPtSize || GetU16(in, layout::AtaPtLength) != layout::AtaPtSize)
    return std::nullopt;
  const std::uint16_t flags = GetU16(in, layout::AtaPtFlags);
  TaskFileCommand command;
  command.current = IdeRegistersAt(in + layout::AtaPtCurrentTaskFile);
  if ((flags & ATA_FLAGS_48BIT_COMMAND) != 0) command.previous = IdeRegistersAt(in + layout::AtaPtPreviousTaskFile);
  command.dataIn = (flags & ATA_FLAGS_DATA_IN) != 0;
  command.dataOut = (flags & ATA_FLAGS_DATA_OUT) != 0;
  command.dataLength = GetU32(in, layout::AtaPtDataTransferLength);
  command.dataOffset = GetLE(in, layout::AtaPtDataBufferOffset, 8);
  command.bufferSize = inSize;
  command.timeoutSeconds = GetU32(in, layout::AtaPtTimeOutValue);
  return command;
}

namespace {

// SANITIZE with its 16-bit feature: status (0000h, COUNT 0 so that no
// failed state is cleared), or an erase with its key.
bool SanitizeStatus(const TaskFileCommand& c) {
  return c.current.bFeaturesReg == ata::SanitizeStatusExt && c.previous->bFeaturesReg == 0x00 &&
         c.current.bSectorCountReg == 0 && c.previous->bSectorCountReg == 0;
}
bool SanitizeErase(const TaskFileCommand& c) {
  if (c.previous->bFeaturesReg != 0) return false;
  const std::uint32_t key = std::uint32_t{c.previous->bSectorNumberReg} << 24 |
                            std::uint32_t{c.current.bCylHighReg} << 16 | std::uint32_t{c.current.bCylLowReg} << 8 |
                            c.current.bSectorNumberReg;
  switch (c.current.bFeaturesReg) {
    case ata::CryptoScrambleExt: return key == ata::CryptoScrambleKey;
    case ata::BlockEraseExt: return key == ata::BlockEraseKey;
    case ata::OverwriteExt:
      return (c.previous->bCylHighReg << 8 | c.previous->bCylLowReg) == ata::OverwriteKey;
    default: return false;
  }
}

// A 28-bit Security command: ERASE PREPARE without data, the others with
// one sector (the password) inside the request.
std::optional<AtaTransfer> SecurityTransfer(const TaskFileCommand& c) {
  if (c.previous || c.dataIn) return std::nullopt;
  switch (c.current.bCommandReg) {
    case ata::SecurityErasePrepare:
      return c.dataOut ? std::nullopt : std::optional<AtaTransfer>(AtaTransfer::None);
    case ata::SecuritySetPassword:
    case ata::SecurityUnlock:
    case ata::SecurityEraseUnit:
    case ata::SecurityDisablePassword:
      if (!c.dataOut || c.dataLength < kAtaSectorSize || c.dataOffset < layout::AtaPtSize ||
          c.dataOffset + kAtaSectorSize > c.bufferSize)
        return std::nullopt;
      return AtaTransfer::PioOut512;
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<AtaTransfer> PermittedTaskFile(const TaskFileCommand& c, bool diskClaimed) {
  if (diskClaimed)
    if (const auto security = SecurityTransfer(c)) return security;
  if (c.dataOut) return std::nullopt;
  const TIDERegisterBlock& r = c.current;
  const bool nonData48 = c.previous && !c.dataIn;
  if (r.bCommandReg == ata::Sanitize && nonData48 && (SanitizeStatus(c) || (diskClaimed && SanitizeErase(c))))
    return AtaTransfer::None;
  if (r.bCommandReg == ata::ReadNativeMaxAddressExt && nonData48) return AtaTransfer::None;
  if (r.bCommandReg == ata::AccessibleMaxAddressConfiguration && nonData48 &&
      r.bFeaturesReg == ata::GetNativeMaxAddressExt && c.previous->bFeaturesReg == 0)
    return AtaTransfer::None;
  if (r.bCommandReg == ata::DeviceConfiguration && r.bFeaturesReg == ata::DeviceConfigurationIdentify && !c.previous &&
      c.dataIn && c.dataLength >= kAtaSectorSize && c.dataOffset >= layout::AtaPtSize &&
      c.dataOffset + kAtaSectorSize <= c.bufferSize)
    return AtaTransfer::PioIn512;
  return std::nullopt;
}

std::vector<std::uint8_t> TaskFileReply(const std::uint8_t* in, const TaskFileCommand& command,
                                        const AtaOutcome& outcome, const std::uint8_t* data) {
  const std::size_t size = command.dataIn ? command.dataOffset + kAtaSectorSize : layout::AtaPtSize;
  // Sized once and filled by copying: built from the request and then
  // resized, GCC 12 at -O3 sees a copy past the request's 48 bytes that
  // never happens.
  std::vector<std::uint8_t> reply(size, 0);
  std::copy_n(in, std::min<std::size_t>(size, layout::AtaPtSize), reply.begin());
  TIDERegisterBlock current = outcome.registers.value_or(TIDERegisterBlock{});
  if (!outcome.registers) current.bCommandReg = kStatusReady;
  PutIdeRegisters(reply.data() + layout::AtaPtCurrentTaskFile, current);
  PutIdeRegisters(reply.data() + layout::AtaPtPreviousTaskFile, outcome.previous.value_or(TIDERegisterBlock{}));
  if (command.dataIn)
    std::copy_n(data, kAtaSectorSize, reply.begin() + static_cast<std::ptrdiff_t>(command.dataOffset));
  return reply;
}

}  // namespace orvella::linux_backend
