#include "platform/linux/smart_requests.h"

#include <cstring>

#include "platform/byte_order.h"
#include "platform/control_codes.h"

namespace orvella::linux_backend {
namespace {

constexpr std::uint8_t kCapAtaIdentify = 0x01;
constexpr std::uint8_t kCapSmart = 0x04;
constexpr std::uint8_t kSmartIdeError = 1;  // DRIVERSTATUS.bDriverError when the drive failed
constexpr std::size_t kSendCmdInHeader = 32;
constexpr char kMiniportSignature[] = "SCSIDISK";

bool IsSmartRead(const TIDERegisterBlock& r) {
  return r.bCommandReg == ata::Smart &&
         (r.bFeaturesReg == ata::SmartReadData || r.bFeaturesReg == ata::SmartReadThresholds);
}
bool IsSmartSwitch(const TIDERegisterBlock& r) {
  return r.bCommandReg == ata::Smart &&
         (r.bFeaturesReg == ata::SmartEnableOperations || r.bFeaturesReg == ata::SmartDisableOperations);
}
bool IsSmartStatus(const TIDERegisterBlock& r) {
  return r.bCommandReg == ata::Smart && r.bFeaturesReg == ata::SmartReturnStatus;
}

}  // namespace

std::optional<SmartCommand> ParseSendCmdIn(const std::uint8_t* in, std::uint32_t inSize) {
  if (in == nullptr || inSize < kSendCmdInHeader) return std::nullopt;
  SmartCommand command;
  command.bufferSize = GetU32(in, layout::CmdInBufferSize);
  command.registers = IdeRegistersAt(in + layout::CmdInDriveRegs);
  command.driveNumber = in[layout::CmdInDriveNumber];
  return command;
}

std::optional<AtaTransfer> PermittedTransfer(std::uint32_t controlCode, const SmartCommand& command) {
  const TIDERegisterBlock& r = command.registers;
  const bool reads = r.bCommandReg == ata::IdentifyDevice || IsSmartRead(r);
  switch (controlCode) {
    case SMART_RCV_DRIVE_DATA:
    case IOCTL_SCSI_MINIPORT:
      if (reads && command.bufferSize >= kAtaSectorSize) return AtaTransfer::PioIn512;
      return std::nullopt;
    case SMART_SEND_DRIVE_COMMAND:
      if (IsSmartSwitch(r) || IsSmartStatus(r)) return AtaTransfer::None;
      if (IsSmartRead(r) && command.bufferSize >= kAtaSectorSize) return AtaTransfer::PioIn512;
      return std::nullopt;
    default: return std::nullopt;
  }
}

bool AnswersInRegisters(const SmartCommand& command) { return IsSmartStatus(command.registers); }

std::vector<std::uint8_t> RegistersReply(const TIDERegisterBlock& r) {
  std::vector<std::uint8_t> regs(layout::IdeRegsSize, 0);
  PutIdeRegisters(regs.data(), r);
  return regs;
}

std::vector<std::uint8_t> SmartVersionReply(std::uint8_t position) {
  std::vector<std::uint8_t> reply(layout::VersionParamsSize, 0);
  PutU8(reply.data(), layout::VersionBVersion, 1);
  PutU8(reply.data(), layout::VersionBRevision, 1);
  PutU8(reply.data(), layout::VersionBIdeDeviceMap, static_cast<std::uint8_t>(1u << (position & 1)));
  PutU32(reply.data(), layout::VersionFCapabilities, kCapAtaIdentify | kCapSmart);
  return reply;
}

std::vector<std::uint8_t> SendCmdOutReply(const AtaOutcome& outcome, const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> reply(layout::CmdOutBuffer + size, 0);
  PutU32(reply.data(), layout::CmdOutBufferSize, static_cast<std::uint32_t>(size));
  if (outcome.error != 0) {
    PutU8(reply.data(), layout::CmdOutDriverError, kSmartIdeError);
    PutU8(reply.data(), layout::CmdOutIdeError, outcome.ataError);
  }
  if (size > 0) std::memcpy(reply.data() + layout::CmdOutBuffer, data, size);
  return reply;
}

std::optional<SmartCommand> ParseMiniportIdentify(const std::uint8_t* in, std::uint32_t inSize) {
  if (in == nullptr || inSize < layout::SrbIoControlSize + kSendCmdInHeader) return std::nullopt;
  if (std::memcmp(in + layout::SrbSignature, kMiniportSignature, 8) != 0) return std::nullopt;
  if (GetU32(in, layout::SrbControlCode) != IOCTL_SCSI_MINIPORT_IDENTIFY) return std::nullopt;
  auto command = ParseSendCmdIn(in + layout::SrbIoControlSize, inSize - layout::SrbIoControlSize);
  if (command && command->registers.bCommandReg != ata::IdentifyDevice) return std::nullopt;
  return command;
}

std::vector<std::uint8_t> MiniportReply(const std::uint8_t* header, const AtaOutcome& outcome,
                                        const std::uint8_t* data) {
  std::vector<std::uint8_t> reply(header, header + layout::SrbIoControlSize);
  PutU32(reply.data(), layout::SrbReturnCode, outcome.error);
  PutU32(reply.data(), layout::SrbLength, kMiniportReplySize - layout::SrbIoControlSize);
  const std::vector<std::uint8_t> body = SendCmdOutReply(outcome, data, kAtaSectorSize);
  reply.insert(reply.end(), body.begin(), body.end());
  return reply;
}

}  // namespace orvella::linux_backend
