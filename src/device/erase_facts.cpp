#include "device/erase_facts.h"

#include "device/erase_commands.h"
#include "device/identify_device.h"
#include "platform/byte_order.h"

namespace orvella {
namespace {

void ReadAtaFacts(Os& os, Handle handle, const TDeviceTable& entry, DriveEraseFacts& facts) {
  AtaSector identify{};
  if (!IdentifyDevice(os, handle, entry.IdentifyData.IsIDESlave, identify)) return;
  facts.ata = DecodeAtaEraseCapabilities(identify.data());
  facts.flash = GetU16(identify.data(), 2 * 217) == 1;
  if (!facts.ata->sanitizeSupported) return;
  AtaSanitizeStatus status;
  if (ReadAtaSanitizeStatus(os, handle, status)) facts.ataSanitize = status;
}

bool ReadNvmePage(Os& os, Handle handle, NvmeAdminCommand command, std::vector<std::uint8_t>& page) {
  if (os.SendNvmeAdmin(handle, command) != 0 || command.status != 0) return false;
  page = std::move(command.data);
  return true;
}

void ReadNvmeFacts(Os& os, Handle handle, DriveEraseFacts& facts) {
  facts.flash = true;
  std::vector<std::uint8_t> page;
  if (!ReadNvmePage(os, handle, NvmeIdentifyCommand(1, 0), page)) return;
  facts.nvme = DecodeNvmeController(page.data());
  if (ReadNvmePage(os, handle, NvmeIdentifyCommand(0, kNvmeFirstNamespace), page))
    facts.nvmeNamespace = DecodeNvmeNamespace(page.data());
  NvmeSanitizeLog log;
  if (facts.nvme->AnySanitize() && ReadNvmeSanitizeLog(os, handle, log)) facts.nvmeSanitize = log;
}

// Whether the drive answered REPORT SUPPORTED OPERATION CODES for SANITIZE
// with `serviceAction`; `supported` tells what it said.
bool AskScsiSanitize(Os& os, Handle handle, std::uint8_t serviceAction, bool& supported) {
  constexpr std::uint32_t kReplySize = 16;  // four bytes and the ten of the command block's usage map, rounded up
  ScsiCommand command = ScsiCommand::Of(ScsiReportOneCommandCdb(scsi::Sanitize, serviceAction, kReplySize),
                                        ScsiCommand::Direction::In, std::vector<std::uint8_t>(kReplySize, 0));
  if (os.SendScsi(handle, command) != 0 || command.status != scsi::StatusGood) return false;
  supported = ScsiCommandSupported(command.data.data(), command.Received());
  return true;
}

void ReadScsiFacts(Os& os, Handle handle, DriveEraseFacts& facts) {
  if (!AskScsiSanitize(os, handle, scsi::SanitizeOverwrite, facts.scsiOverwrite) ||
      !AskScsiSanitize(os, handle, scsi::SanitizeBlockErase, facts.scsiBlockErase) ||
      !AskScsiSanitize(os, handle, scsi::SanitizeCryptoErase, facts.scsiCryptoErase))
    return;
  facts.scsiAsked = true;
  ScsiSanitizeProgress progress;
  if (ReadScsiSanitizeSense(os, handle, progress)) facts.scsiSanitize = progress;
}

}  // namespace

DriveInterface InterfaceOfBus(std::int64_t busType, bool removable) {
  switch (busType) {
    case BusTypeAta:
    case BusTypeSata:
      return DriveInterface::Ata;
    case BusTypeNvme:
      return DriveInterface::Nvme;
    case BusTypeScsi:
    case BusTypeSas:
      return DriveInterface::Scsi;
    case BusTypeUsb:
      return removable ? DriveInterface::NoStandardPurge : DriveInterface::UsbBridge;
    case BusTypeSd:
    case BusTypeMmc:
      return DriveInterface::NoStandardPurge;
    default:
      return DriveInterface::Unknown;
  }
}

DriveEraseFacts ReadDriveEraseFacts(Os& os, Handle handle, const TDeviceTable& entry) {
  DriveEraseFacts facts;
  facts.interface = InterfaceOfBus(entry.IdentifyData.BusType, entry.IdentifyData.RemovableMedia);
  facts.limits = os.EraseLimits();
  if (facts.interface == DriveInterface::Ata) ReadAtaFacts(os, handle, entry, facts);
  if (facts.interface == DriveInterface::Nvme) ReadNvmeFacts(os, handle, facts);
  if (facts.interface == DriveInterface::Scsi) ReadScsiFacts(os, handle, facts);
  return facts;
}

bool ReadAtaSanitizeStatus(Os& os, Handle handle, AtaSanitizeStatus& status) {
  AtaTaskFileResult result;
  bool aborted = false;
  if (!AtaPassThroughRegisters(os, handle, AtaSanitizeStatusCommand(), result, aborted)) return false;
  const auto count = static_cast<std::uint16_t>(result.previous.bSectorCountReg << 8 | result.current.bSectorCountReg);
  status = DecodeAtaSanitizeStatus(count, result.Lba48(), aborted);
  return true;
}

bool ReadNvmeSanitizeLog(Os& os, Handle handle, NvmeSanitizeLog& log) {
  std::vector<std::uint8_t> page;
  if (!ReadNvmePage(os, handle, NvmeLogPageCommand(kNvmeSanitizeLogPage, kNvmeSanitizeLogSize), page)) return false;
  log = DecodeNvmeSanitizeLog(page.data());
  return true;
}

bool ReadScsiSanitizeSense(Os& os, Handle handle, ScsiSanitizeProgress& progress) {
  ScsiCommand command = ScsiCommand::Of(ScsiRequestSenseCdb(kScsiSenseSize), ScsiCommand::Direction::In,
                                        std::vector<std::uint8_t>(kScsiSenseSize, 0));
  if (os.SendScsi(handle, command) != 0 || command.status != scsi::StatusGood) return false;
  progress = DecodeScsiSanitizeSense(command.data.data(), command.Received());
  return true;
}

}  // namespace orvella
