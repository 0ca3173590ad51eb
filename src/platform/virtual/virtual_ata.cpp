// ATA pass-through of a simulated drive: the S.M.A.R.T. version query, the
// SCSI address, IDENTIFY DEVICE and the S.M.A.R.T. commands through the
// receive and send requests, and IDENTIFY through the SCSI miniport.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "platform/byte_order.h"
#include "platform/virtual/virtual_identify.h"
#include "platform/virtual/virtual_os.h"

namespace orvella {
namespace {

constexpr std::size_t kSector = 512;
// The request length without SENDCMDINPARAMS's one-byte data buffer: what
// the driver needs at least.
constexpr std::uint32_t kMinimumCommandInput = layout::CmdInBuffer;

using Sector = std::vector<std::uint8_t>;

// The command a SENDCMDINPARAMS block carries.
struct AtaCommand {
  std::uint32_t bufferSize = 0;
  std::uint8_t feature = 0;
  std::uint8_t cylLow = 0;
  std::uint8_t cylHigh = 0;
  std::uint8_t command = 0;

  static AtaCommand Read(const std::uint8_t* block) {
    const std::uint8_t* regs = block + layout::CmdInDriveRegs;
    AtaCommand c;
    c.bufferSize = GetU32(block, layout::CmdInBufferSize);
    c.feature = regs[layout::IdeRegsFeatures];
    c.cylLow = regs[layout::IdeRegsCylLow];
    c.cylHigh = regs[layout::IdeRegsCylHigh];
    c.command = regs[layout::IdeRegsCommand];
    return c;
  }
  bool IsSmart() const { return command == ata::Smart && cylLow == ata::SmartSignatureLow && cylHigh == ata::SmartSignatureHigh; }
  bool ReturnsData() const {
    return command == ata::IdentifyDevice ||
           (IsSmart() && (feature == ata::SmartReadData || feature == ata::SmartReadThresholds));
  }
};

}  // namespace

// ATA text: two characters per word, the first in the high byte, the field
// blank-filled.
void PlaceText(Sector& sector, int firstWord, int lastWord, const std::string& text) {
  const std::size_t length = 2 * static_cast<std::size_t>(lastWord - firstWord + 1);
  for (std::size_t i = 0; i < length; ++i) {
    const char c = i < text.size() ? text[i] : ' ';
    sector[2 * static_cast<std::size_t>(firstWord) + (i ^ 1)] = static_cast<std::uint8_t>(c);
  }
}

Sector VirtualIdentifySector(const VirtualAta& ata) {
  Sector sector(kSector, 0);
  const VirtualIdentify& identify = *ata.identify;
  PlaceText(sector, 10, 19, identify.serial);
  PlaceText(sector, 23, 26, identify.firmware);
  PlaceText(sector, 27, 46, identify.model);
  for (const auto& [word, value] : identify.words)
    if (word >= 0 && word < 256) PutU16(sector.data(), 2 * static_cast<std::size_t>(word), value);
  // Word 85 bit 0 tells whether S.M.A.R.T. is on now.
  if (ata.smart) {
    const std::uint16_t w85 = GetU16(sector.data(), 170);
    PutU16(sector.data(), 170, static_cast<std::uint16_t>(ata.smart->enabled ? w85 | 1 : w85 & ~1));
  }
  return sector;
}

namespace {

// The last byte makes the whole page sum to 0.
void SetChecksum(Sector& page) {
  std::uint8_t sum = 0;
  for (std::size_t i = 0; i + 1 < page.size(); ++i) sum = static_cast<std::uint8_t>(sum + page[i]);
  page.back() = static_cast<std::uint8_t>(0x100 - sum);
}

Sector SmartPage(const VirtualSmart& smart) {
  Sector page(kSector, 0);
  PutU16(page.data(), 0, 0x0010);  // data structure revision
  const std::size_t count = std::min<std::size_t>(smart.attributes.size(), 30);
  for (std::size_t k = 0; k < count; ++k) {
    const VirtualSmartAttribute& a = smart.attributes[k];
    const std::size_t at = 2 + 12 * k;
    page[at] = a.id;
    PutU16(page.data(), at + 1, a.flags);
    page[at + 3] = a.current;
    page[at + 4] = a.worst;
    PutLE(page.data(), at + 5, 6, a.raw);
  }
  SetChecksum(page);
  return page;
}

// The thresholds page: the ids in the slots of the values page, each with
// its threshold.
Sector ThresholdsPage(const VirtualSmart& smart) {
  Sector page(kSector, 0);
  PutU16(page.data(), 0, 0x0010);
  const std::size_t count = std::min<std::size_t>(smart.attributes.size(), 30);
  for (std::size_t k = 0; k < count; ++k) {
    page[2 + 12 * k] = smart.attributes[k].id;
    page[2 + 12 * k + 1] = smart.attributes[k].threshold;
  }
  SetChecksum(page);
  return page;
}

// RETURN STATUS answers in the cylinder registers: failing once a
// pre-failure attribute (flags bit 0) is at or below a non-zero threshold.
Sector StatusRegisters(const VirtualSmart& smart) {
  const bool failing = std::any_of(smart.attributes.begin(), smart.attributes.end(), [](const auto& a) {
    return (a.flags & 1) != 0 && a.threshold != 0 && a.current <= a.threshold;
  });
  Sector registers(layout::IdeRegsSize, 0);
  registers[layout::IdeRegsCylLow] = failing ? ata::SmartFailingLow : ata::SmartSignatureLow;
  registers[layout::IdeRegsCylHigh] = failing ? ata::SmartFailingHigh : ata::SmartSignatureHigh;
  registers[layout::IdeRegsCommand] = 0x50;  // status: ready, seek complete
  return registers;
}

// Carries out a command as the drive would. Returns 0 and the data read (none
// for a non-data command), or the error of an aborted or refused command.
std::uint32_t Execute(VirtualAta& ata, const AtaCommand& command, Sector& data) {
  if (command.ReturnsData() && command.bufferSize < kSector) return ERROR_INVALID_PARAMETER;
  if (command.command == ata::IdentifyDevice) {
    if (!ata.identify) return ERROR_IO_DEVICE;
    data = VirtualIdentifySector(ata);
    return 0;
  }
  if (!command.IsSmart() || !ata.smart) return ERROR_IO_DEVICE;
  switch (command.feature) {
    case ata::SmartEnableOperations:
      ata.smart->enabled = true;
      return 0;
    case ata::SmartDisableOperations:
      ata.smart->enabled = false;
      return 0;
    case ata::SmartReadData:
      if (!ata.smart->enabled) return ERROR_IO_DEVICE;  // the drive aborts it while off
      data = SmartPage(*ata.smart);
      return 0;
    case ata::SmartReadThresholds:
      if (!ata.smart->enabled) return ERROR_IO_DEVICE;
      data = ThresholdsPage(*ata.smart);
      return 0;
    case ata::SmartReturnStatus:
      if (!ata.smart->enabled) return ERROR_IO_DEVICE;
      data = StatusRegisters(*ata.smart);
      return 0;
    default:
      return ERROR_IO_DEVICE;
  }
}

}  // namespace

bool VirtualOs::AtaRequest(OpenObject& object, std::uint32_t code, const void* in, std::uint32_t inSize,
                           void* out, std::uint32_t outSize, std::uint32_t* returned) {
  VirtualAta& ata = machine_.drives[object.index].ata;
  const auto* input = static_cast<const std::uint8_t*>(in);
  switch (code) {
    case SMART_GET_VERSION: {
      if (!ata.versionAnswers) return Fail(ERROR_INVALID_FUNCTION);
      if (out == nullptr || outSize < layout::VersionParamsSize) return Fail(ERROR_INSUFFICIENT_BUFFER);
      std::memset(out, 0, layout::VersionParamsSize);
      PutU8(out, layout::VersionBVersion, 1);
      PutU8(out, layout::VersionBRevision, 1);
      PutU8(out, layout::VersionBIdeDeviceMap, ata.ideDeviceMap);
      PutU32(out, layout::VersionFCapabilities, 0x7);  // ATA, ATAPI, S.M.A.R.T.
      if (returned != nullptr) *returned = layout::VersionParamsSize;
      return Succeed();
    }
    case IOCTL_SCSI_GET_ADDRESS: {
      if (!ata.scsiAddressAnswers) return Fail(ERROR_INVALID_FUNCTION);
      if (out == nullptr || outSize < layout::ScsiAddressSize) return Fail(ERROR_INSUFFICIENT_BUFFER);
      PutU32(out, layout::ScsiAddressLength, layout::ScsiAddressSize);
      PutU8(out, layout::ScsiAddressTargetId, ata.scsiTargetId);
      if (returned != nullptr) *returned = layout::ScsiAddressSize;
      return Succeed();
    }
    case SMART_RCV_DRIVE_DATA:
    case SMART_SEND_DRIVE_COMMAND: {
      const bool receive = code == SMART_RCV_DRIVE_DATA;
      if (!(receive ? ata.receiveAnswers : ata.sendAnswers)) return Fail(ERROR_INVALID_FUNCTION);
      if (input == nullptr || inSize < kMinimumCommandInput) return Fail(ERROR_INVALID_PARAMETER);
      const AtaCommand command = AtaCommand::Read(input);
      // The receive request only carries commands that read a sector.
      if (receive && !command.ReturnsData()) return Fail(ERROR_INVALID_PARAMETER);
      Sector data;
      if (const std::uint32_t error = Execute(ata, command, data); error != 0) return Fail(error);
      // SENDCMDOUTPARAMS: the data length, a zero driver status, the data.
      const std::size_t replySize = layout::CmdOutBuffer + data.size();
      if (out == nullptr || outSize < replySize) return Fail(ERROR_INSUFFICIENT_BUFFER);
      std::memset(out, 0, replySize);
      PutU32(out, layout::CmdOutBufferSize, static_cast<std::uint32_t>(data.size()));
      std::copy(data.begin(), data.end(), static_cast<std::uint8_t*>(out) + layout::CmdOutBuffer);
      if (returned != nullptr) *returned = static_cast<std::uint32_t>(replySize);
      return Succeed();
    }
    case IOCTL_SCSI_MINIPORT: {
      if (!ata.miniportAnswers) return Fail(ERROR_INVALID_FUNCTION);
      if (input == nullptr || inSize < layout::SrbIoControlSize + kMinimumCommandInput ||
          std::memcmp(input + layout::SrbSignature, "SCSIDISK", 8) != 0 ||
          GetU32(input, layout::SrbControlCode) != IOCTL_SCSI_MINIPORT_IDENTIFY) {
        return Fail(ERROR_INVALID_PARAMETER);
      }
      const AtaCommand command = AtaCommand::Read(input + layout::SrbIoControlSize);
      if (command.command != ata::IdentifyDevice) return Fail(ERROR_INVALID_PARAMETER);
      Sector data;
      if (const std::uint32_t error = Execute(ata, command, data); error != 0) return Fail(error);
      // The header as it came (input and output may be one buffer), then
      // SENDCMDOUTPARAMS.
      const std::size_t replySize = layout::SrbIoControlSize + layout::CmdOutBuffer + kSector;
      if (out == nullptr || outSize < replySize) return Fail(ERROR_INSUFFICIENT_BUFFER);
      std::array<std::uint8_t, layout::SrbIoControlSize> header;
      std::copy_n(input, header.size(), header.begin());
      auto* reply = static_cast<std::uint8_t*>(out);
      std::memset(reply, 0, replySize);
      std::copy(header.begin(), header.end(), reply);
      PutU32(reply, layout::SrbReturnCode, 0);
      PutU32(reply, layout::SrbIoControlSize + layout::CmdOutBufferSize, kSector);
      std::copy(data.begin(), data.end(), reply + layout::SrbIoControlSize + layout::CmdOutBuffer);
      if (returned != nullptr) *returned = static_cast<std::uint32_t>(replySize);
      return Succeed();
    }
    case IOCTL_ATA_PASS_THROUGH:
      return TaskFileRequest(object, in, inSize, out, outSize, returned);
    default:
      return Fail(ERROR_INVALID_FUNCTION);
  }
}

}  // namespace orvella
