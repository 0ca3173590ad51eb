// The ways Orvella can erase a drive, and for one drive which of them it
// can use, decided from what the drive said about itself (read without
// changing it), with the reason in words for each one it cannot. The
// category and technique each method earns are named as NIST SP 800-88
// and IEEE 2883 name them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/ata_erase_capabilities.h"
#include "device/erase_commands.h"
#include "device/nvme_erase_capabilities.h"
#include "platform/erase_limits.h"

namespace orvella {

enum class EraseMethod {
  Zeros,                  // the program writes zeros from the host
  BlockErase,             // ATA SANITIZE BLOCK ERASE, NVMe Sanitize block erase, SCSI SANITIZE BLOCK ERASE
  CryptoErase,            // ATA CRYPTO SCRAMBLE, NVMe Sanitize crypto erase or Format NVM (SES 2), SCSI CRYPTOGRAPHIC ERASE
  DriveOverwrite,         // ATA SANITIZE OVERWRITE, NVMe Sanitize overwrite, SCSI SANITIZE OVERWRITE
  FormatErase,            // NVMe Format NVM with user data erase (SES 1)
  SecurityErase,          // ATA SECURITY ERASE UNIT, normal
  SecurityEraseEnhanced,  // ATA SECURITY ERASE UNIT, enhanced
};
inline constexpr std::array<EraseMethod, 7> kEraseMethods = {
    EraseMethod::Zeros,       EraseMethod::BlockErase,    EraseMethod::CryptoErase,          EraseMethod::DriveOverwrite,
    EraseMethod::FormatErase, EraseMethod::SecurityErase, EraseMethod::SecurityEraseEnhanced};

// "zeros", "block-erase", ... as the command line and the record write them.
const char* EraseMethodName(EraseMethod method);
std::optional<EraseMethod> EraseMethodNamed(std::string_view name);

enum class DriveInterface {
  Ata,            // an ATA or SATA drive reached directly
  Nvme,
  Scsi,           // SCSI or SAS
  UsbBridge,      // a drive behind a USB bridge
  NoStandardPurge,  // USB sticks, SD and MMC cards: no standard command erases them
  Unknown,
};

// Everything read from the drive that decides which methods it offers.
struct DriveEraseFacts {
  DriveInterface interface = DriveInterface::Unknown;
  bool flash = false;  // solid state: NVMe, or ATA IDENTIFY word 217 = 1
  std::optional<AtaEraseCapabilities> ata;
  std::optional<AtaSanitizeStatus> ataSanitize;
  std::optional<NvmeController> nvme;
  std::optional<NvmeNamespace> nvmeNamespace;
  std::optional<NvmeSanitizeLog> nvmeSanitize;
  // SCSI SANITIZE service actions, where REPORT SUPPORTED OPERATION CODES answered.
  bool scsiAsked = false;
  bool scsiOverwrite = false;
  bool scsiBlockErase = false;
  bool scsiCryptoErase = false;
  // What REQUEST SENSE said of a sanitize: running, or failed earlier.
  std::optional<ScsiSanitizeProgress> scsiSanitize;
  // Which of these commands the system lets through.
  EraseCommandLimits limits;
};

enum class SanitizationCategory { None, Clear, Purge };
const char* CategoryName(SanitizationCategory category);  // "none", "Clear", "Purge"

struct MethodChoice {
  EraseMethod method = EraseMethod::Zeros;
  bool available = false;
  std::u16string reason;   // why not, when not available
  SanitizationCategory category = SanitizationCategory::Clear;
  std::string technique;   // "overwrite", "block erase", "cryptographic erase", ...
  std::u16string note;     // what the category means for this drive, when it needs saying
};

MethodChoice ChooseMethod(EraseMethod method, const DriveEraseFacts& facts);
std::vector<MethodChoice> DriveMethods(const DriveEraseFacts& facts);

}  // namespace orvella
