// The exact commands of a drive's own erase, built as bytes: ATA SANITIZE
// (B4h) and the Security feature set's commands, NVMe Sanitize (84h), Format
// NVM (80h) and the reads around them, SCSI SANITIZE (48h) and the reads
// around it. Nothing here sends anything.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "device/ata_pass_through_ex.h"
#include "device/nvme_erase_capabilities.h"
#include "platform/nvme_admin_command.h"
#include "platform/scsi_command.h"

namespace orvella {

// --- ATA ---------------------------------------------------------------

enum class AtaSanitizeAction { BlockErase, CryptoScramble, Overwrite };

// SANITIZE with its feature, key and the failure-mode bit; an overwrite
// writes `pattern` `passes` times (1 to 16).
AtaTaskFileCommand AtaSanitizeCommand(AtaSanitizeAction action, std::uint32_t pattern = 0, int passes = 1);
// SANITIZE STATUS EXT, which reports (and changes nothing).
AtaTaskFileCommand AtaSanitizeStatusCommand();

// The password this program sets for a security erase, and the one it
// offers when it unlocks a drive it left locked: 32 bytes, the text
// "Orvella" followed by zero bytes.
std::array<std::uint8_t, 32> OrvellaSecurityPassword();

// The 512 bytes of SET PASSWORD (user password, level High), ERASE UNIT
// (user password; enhanced when asked), DISABLE PASSWORD and UNLOCK (user
// password), all with the program's password.
AtaSector SecurityPasswordSector(bool enhancedErase = false);
AtaTaskFileCommand AtaSecurityCommand(std::uint8_t command);

// --- NVMe --------------------------------------------------------------

enum class NvmeSanitizeAction : std::uint8_t { BlockErase = 2, Overwrite = 3, CryptoErase = 4 };
// Secure Erase Settings of Format NVM.
enum class NvmeSecureErase : std::uint8_t { None = 0, UserData = 1, Cryptographic = 2 };

NvmeAdminCommand NvmeIdentifyCommand(std::uint8_t cns, std::uint32_t namespaceId);
NvmeAdminCommand NvmeLogPageCommand(std::uint8_t logPage, std::uint32_t length);
// Sanitize of the whole subsystem, all namespaces; overwrite with `pattern`
// once.
NvmeAdminCommand NvmeSanitizeCommand(NvmeSanitizeAction action, std::uint32_t pattern = 0);
// Format NVM of `namespaceId` (all namespaces: nvme::AllNamespaces) that
// keeps the namespace's LBA format, metadata and protection settings.
NvmeAdminCommand NvmeFormatCommand(const NvmeNamespace& current, std::uint32_t namespaceId, NvmeSecureErase erase);

// --- SCSI --------------------------------------------------------------

// REPORT SUPPORTED OPERATION CODES for one command and service action.
std::array<std::uint8_t, 12> ScsiReportOneCommandCdb(std::uint8_t opcode, std::uint16_t serviceAction,
                                                     std::uint32_t allocationLength);
// Whether the reply of that request says the command is supported (as the
// standard describes it, or as the maker does).
bool ScsiCommandSupported(const std::uint8_t* reply, std::size_t length);

// SANITIZE with IMMED, so that progress is read with REQUEST SENSE; an
// overwrite sends `OverwriteParameters` as its parameter list.
std::array<std::uint8_t, 10> ScsiSanitizeCdb(std::uint8_t serviceAction, std::uint16_t parameterLength = 0);
// One pass of a four-byte pattern.
std::vector<std::uint8_t> ScsiOverwriteParameters(std::uint32_t pattern);
std::array<std::uint8_t, 6> ScsiRequestSenseCdb(std::uint8_t allocationLength);

// What REQUEST SENSE says of a sanitize: in progress (NOT READY, 04h/1Bh)
// with its progress of 65536 when the drive gives it, or failed (MEDIUM
// ERROR, 31h/03h: the drive takes no other command until a sanitize
// completes).
struct ScsiSanitizeProgress {
  bool inProgress = false;
  bool failed = false;
  bool progressKnown = false;
  std::uint16_t progress = 0;
  std::uint8_t senseKey = 0;
  std::uint8_t asc = 0;
  std::uint8_t ascq = 0;
};
ScsiSanitizeProgress DecodeScsiSanitizeSense(const std::uint8_t* sense, std::size_t length);

}  // namespace orvella
