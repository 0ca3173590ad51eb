#include "platform/linux/task_file_requests.h"

#include <algorithm>

#include "platform/byte_order.h"
#include "platform/control_codes.h"

namespace orvella::linux_backend {
namespace {

constexpr std::uint8_t kStatusReady = 0x50;  // DRDY, DSC: what a data-in command ends with

AtaRegisters RegistersAt(const std::uint8_t* at) {
  return {at[layout::IdeRegsFeatures], at[layout::IdeRegsSectorCount], at[layout::IdeRegsSectorNumber],
          at[layout::IdeRegsCylLow],   at[layout::IdeRegsCylHigh],     at[layout::IdeRegsDriveHead],
          at[layout::IdeRegsCommand]};
}

void PutRegisters(std::uint8_t* at, const AtaRegisters& r) {
  at[layout::IdeRegsFeatures] = r.features;
  at[layout::IdeRegsSectorCount] = r.sectorCount;
  at[layout::IdeRegsSectorNumber] = r.lbaLow;
  at[layout::IdeRegsCylLow] = r.lbaMid;
  at[layout::IdeRegsCylHigh] = r.lbaHigh;
  at[layout::IdeRegsDriveHead] = r.device;
  at[layout::IdeRegsCommand] = r.command;
}

}  // namespace

std::optional<TaskFileCommand> ParseAtaPassThrough(const std::uint8_t* in, std::uint32_t inSize) {
  if (in == nullptr || inSize < layout::AtaPtSize || GetU16(in, layout::AtaPtLength) != layout::AtaPtSize)
    return std::nullopt;
  const std::uint16_t flags = GetU16(in, layout::AtaPtFlags);
  TaskFileCommand command;
  command.current = RegistersAt(in + layout::AtaPtCurrentTaskFile);
  if ((flags & ATA_FLAGS_48BIT_COMMAND) != 0) command.previous = RegistersAt(in + layout::AtaPtPreviousTaskFile);
  command.dataIn = (flags & ATA_FLAGS_DATA_IN) != 0;
  command.dataOut = (flags & ATA_FLAGS_DATA_OUT) != 0;
  command.dataLength = GetU32(in, layout::AtaPtDataTransferLength);
  command.dataOffset = GetLE(in, layout::AtaPtDataBufferOffset, 8);
  command.bufferSize = inSize;
  command.timeoutSeconds = GetU32(in, layout::AtaPtTimeOutValue);
  return command;
}

namespace {

constexpr std::uint8_t kSanitize = 0xB4;
constexpr std::uint8_t kSecuritySetPassword = 0xF1;
constexpr std::uint8_t kSecurityUnlock = 0xF2;
constexpr std::uint8_t kSecurityErasePrepare = 0xF3;
constexpr std::uint8_t kSecurityEraseUnit = 0xF4;
constexpr std::uint8_t kSecurityDisablePassword = 0xF6;

// SANITIZE with its 16-bit feature: status (0000h, COUNT 0 so that no
// failed state is cleared), or an erase with its key.
bool SanitizeStatus(const TaskFileCommand& c) {
  return c.current.features == 0x00 && c.previous->features == 0x00 && c.current.sectorCount == 0 &&
         c.previous->sectorCount == 0;
}
bool SanitizeErase(const TaskFileCommand& c) {
  if (c.previous->features != 0) return false;
  const std::uint32_t key = std::uint32_t{c.previous->lbaLow} << 24 | std::uint32_t{c.current.lbaHigh} << 16 |
                            std::uint32_t{c.current.lbaMid} << 8 | c.current.lbaLow;
  switch (c.current.features) {
    case 0x11: return key == 0x43727970;  // CRYPTO SCRAMBLE EXT
    case 0x12: return key == 0x426B4572;  // BLOCK ERASE EXT
    case 0x14: return c.previous->lbaHigh == 0x4F && c.previous->lbaMid == 0x57;  // OVERWRITE EXT
    default: return false;
  }
}

// A 28-bit Security command: ERASE PREPARE without data, the others with
// one sector (the password) inside the request.
std::optional<AtaTransfer> SecurityTransfer(const TaskFileCommand& c) {
  if (c.previous || c.dataIn) return std::nullopt;
  switch (c.current.command) {
    case kSecurityErasePrepare:
      return c.dataOut ? std::nullopt : std::optional<AtaTransfer>(AtaTransfer::None);
    case kSecuritySetPassword:
    case kSecurityUnlock:
    case kSecurityEraseUnit:
    case kSecurityDisablePassword:
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
  const AtaRegisters& r = c.current;
  const bool nonData48 = c.previous && !c.dataIn;
  if (r.command == kSanitize && nonData48 && (SanitizeStatus(c) || (diskClaimed && SanitizeErase(c))))
    return AtaTransfer::None;
  if (r.command == ata::ReadNativeMaxAddressExt && nonData48) return AtaTransfer::None;
  if (r.command == ata::AccessibleMaxAddressConfiguration && nonData48 && r.features == ata::GetNativeMaxAddressExt &&
      c.previous->features == 0)
    return AtaTransfer::None;
  if (r.command == ata::DeviceConfiguration && r.features == ata::DeviceConfigurationIdentify && !c.previous &&
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
  AtaRegisters current = outcome.registers.value_or(AtaRegisters{});
  if (!outcome.registers) current.command = kStatusReady;
  PutRegisters(reply.data() + layout::AtaPtCurrentTaskFile, current);
  PutRegisters(reply.data() + layout::AtaPtPreviousTaskFile, outcome.previous.value_or(AtaRegisters{}));
  if (command.dataIn)
    std::copy_n(data, kAtaSectorSize, reply.begin() + static_cast<std::ptrdiff_t>(command.dataOffset));
  return reply;
}

}  // namespace orvella::linux_backend
