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

bool IsSmartRead(const AtaRegisters& r) {
  return r.command == ata::Smart && (r.features == ata::SmartReadData || r.features == ata::SmartReadThresholds);
}
bool IsSmartSwitch(const AtaRegisters& r) {
  return r.command == ata::Smart && (r.features == ata::SmartEnableOperations || r.features == ata::SmartDisableOperations);
}
bool IsSmartStatus(const AtaRegisters& r) { return r.command == ata::Smart && r.features == ata::SmartReturnStatus; }

}  // namespace

std::optional<SmartCommand> ParseSendCmdIn(const std::uint8_t* in, std::uint32_t inSize) {
  if (in == nullptr || inSize < kSendCmdInHeader) return std::nullopt;
  SmartCommand command;
  command.bufferSize = GetU32(in, layout::CmdInBufferSize);
  const std::uint8_t* regs = in + layout::CmdInDriveRegs;
  command.registers = {regs[layout::IdeRegsFeatures],     regs[layout::IdeRegsSectorCount],
                       regs[layout::IdeRegsSectorNumber], regs[layout::IdeRegsCylLow],
                       regs[layout::IdeRegsCylHigh],      regs[layout::IdeRegsDriveHead],
                       regs[layout::IdeRegsCommand]};
  command.driveNumber = in[layout::CmdInDriveNumber];
  return command;
}

std::optional<AtaTransfer> PermittedTransfer(std::uint32_t controlCode, const SmartCommand& command) {
  const AtaRegisters& r = command.registers;
  const bool reads = r.command == ata::IdentifyDevice || IsSmartRead(r);
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

std::vector<std::uint8_t> RegistersReply(const AtaRegisters& r) {
  std::vector<std::uint8_t> regs(layout::IdeRegsSize, 0);
  regs[layout::IdeRegsFeatures] = r.features;  // the error register on return
  regs[layout::IdeRegsSectorCount] = r.sectorCount;
  regs[layout::IdeRegsSectorNumber] = r.lbaLow;
  regs[layout::IdeRegsCylLow] = r.lbaMid;
  regs[layout::IdeRegsCylHigh] = r.lbaHigh;
  regs[layout::IdeRegsDriveHead] = r.device;
  regs[layout::IdeRegsCommand] = r.command;  // the status register on return
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
  if (command && command->registers.command != ata::IdentifyDevice) return std::nullopt;
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
