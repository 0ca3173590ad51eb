#include "device/erase_commands.h"

#include <algorithm>

#include "platform/byte_order.h"

namespace orvella {
namespace {

constexpr std::uint8_t kDeviceLba = 0x40;  // the device register of a 48-bit command

// A 48-bit command: the low bytes of FEATURE, COUNT and LBA in `current`,
// the high bytes in `previous`.
AtaTaskFileCommand Ext48(std::uint8_t command, std::uint16_t feature, std::uint16_t count, std::uint64_t lba) {
  AtaTaskFileCommand c;
  c.ext48 = true;
  c.current = {static_cast<std::uint8_t>(feature),    static_cast<std::uint8_t>(count),
               static_cast<std::uint8_t>(lba),        static_cast<std::uint8_t>(lba >> 8),
               static_cast<std::uint8_t>(lba >> 16),  kDeviceLba,
               command};
  c.previous = {static_cast<std::uint8_t>(feature >> 8), static_cast<std::uint8_t>(count >> 8),
                static_cast<std::uint8_t>(lba >> 24),    static_cast<std::uint8_t>(lba >> 32),
                static_cast<std::uint8_t>(lba >> 40),    0,
                0};
  return c;
}

void PutDword(NvmeAdminCommand& c, int n, std::uint32_t value) { PutU32(c.entry.data(), 4 * static_cast<std::size_t>(n), value); }

NvmeAdminCommand NvmeCommand(std::uint8_t opcode, std::uint32_t namespaceId) {
  NvmeAdminCommand c;
  c.entry[0] = opcode;
  PutU32(c.entry.data(), 4, namespaceId);
  return c;
}

}  // namespace

AtaTaskFileCommand AtaSanitizeCommand(AtaSanitizeAction action, std::uint32_t pattern, int passes) {
  switch (action) {
    case AtaSanitizeAction::BlockErase:
      return Ext48(ata::Sanitize, ata::BlockEraseExt, ata::SanitizeFailureMode, ata::BlockEraseKey);
    case AtaSanitizeAction::CryptoScramble:
      return Ext48(ata::Sanitize, ata::CryptoScrambleExt, ata::SanitizeFailureMode, ata::CryptoScrambleKey);
    case AtaSanitizeAction::Overwrite: {
      // COUNT 3:0 is the pass count, 0 meaning 16.
      const auto passCount = static_cast<std::uint16_t>(std::clamp(passes, 1, 16) & 0x0F);
      const std::uint64_t lba = std::uint64_t{ata::OverwriteKey} << 32 | pattern;
      return Ext48(ata::Sanitize, ata::OverwriteExt, ata::SanitizeFailureMode | passCount, lba);
    }
  }
  return {};
}

AtaTaskFileCommand AtaSanitizeStatusCommand() { return Ext48(ata::Sanitize, ata::SanitizeStatusExt, 0, 0); }

std::array<std::uint8_t, 32> OrvellaSecurityPassword() {
  std::array<std::uint8_t, 32> password{};
  constexpr char kText[] = "Orvella";
  std::copy_n(kText, sizeof kText - 1, password.begin());
  return password;
}

AtaSector SecurityPasswordSector(bool enhancedErase) {
  AtaSector sector{};
  // Word 0: bit 0 clear (the user password), bit 1 the enhanced erase,
  // bit 8 clear (level High).
  sector[0] = enhancedErase ? 0x02 : 0x00;
  const auto password = OrvellaSecurityPassword();
  std::copy(password.begin(), password.end(), sector.begin() + 2);
  return sector;
}

AtaTaskFileCommand AtaSecurityCommand(std::uint8_t command) {
  AtaTaskFileCommand c;
  c.current.bDriveHeadReg = kDeviceLba;
  c.current.bCommandReg = command;
  c.dataOut = command != ata::SecurityErasePrepare;
  // One sector follows; a SAT layer takes the transfer length from COUNT.
  if (c.dataOut) c.current.bSectorCountReg = 1;
  return c;
}

NvmeAdminCommand NvmeIdentifyCommand(std::uint8_t cns, std::uint32_t namespaceId) {
  NvmeAdminCommand c = NvmeCommand(nvme::Identify, namespaceId);
  PutDword(c, 10, cns);
  c.dataIn = true;
  c.data.assign(kNvmeIdentifySize, 0);
  return c;
}

NvmeAdminCommand NvmeLogPageCommand(std::uint8_t logPage, std::uint32_t length) {
  NvmeAdminCommand c = NvmeCommand(nvme::GetLogPage, nvme::AllNamespaces);
  const std::uint32_t dwords = length / 4 - 1;  // NUMD is zero-based
  PutDword(c, 10, logPage | (dwords & 0xFFFFu) << 16);
  PutDword(c, 11, dwords >> 16);
  c.dataIn = true;
  c.data.assign(length, 0);
  return c;
}

NvmeAdminCommand NvmeSanitizeCommand(NvmeSanitizeAction action, std::uint32_t pattern) {
  NvmeAdminCommand c = NvmeCommand(nvme::Sanitize, 0);
  std::uint32_t dword10 = static_cast<std::uint32_t>(action);
  if (action == NvmeSanitizeAction::Overwrite) {
    dword10 |= 1u << 4;  // OWPASS: one pass
    PutDword(c, 11, pattern);
  }
  PutDword(c, 10, dword10);
  c.timeoutMilliseconds = 60000;
  return c;
}

NvmeAdminCommand NvmeFormatCommand(const NvmeNamespace& current, std::uint32_t namespaceId, NvmeSecureErase erase) {
  NvmeAdminCommand c = NvmeCommand(nvme::FormatNvm, namespaceId);
  std::uint32_t dword10 = current.formatInUse & 0x0Fu;
  if (current.metadataAtEnd) dword10 |= 1u << 4;
  dword10 |= std::uint32_t{current.protectionType} << 5;
  if (current.protectionFirst) dword10 |= 1u << 8;
  dword10 |= std::uint32_t{static_cast<std::uint8_t>(erase)} << 9;
  dword10 |= std::uint32_t{current.formatInUse >> 4 & 0x3u} << 12;
  PutDword(c, 10, dword10);
  // A format with a secure erase can take as long as the drive needs.
  c.timeoutMilliseconds = 600000;
  return c;
}

std::array<std::uint8_t, 12> ScsiReportOneCommandCdb(std::uint8_t opcode, std::uint16_t serviceAction,
                                                     std::uint32_t allocationLength) {
  std::array<std::uint8_t, 12> cdb{};
  cdb[0] = scsi::MaintenanceIn;
  cdb[1] = scsi::ReportSupportedOperationCodes;
  cdb[2] = 0x02;  // reporting options: one command, with its service action
  cdb[3] = opcode;
  cdb[4] = static_cast<std::uint8_t>(serviceAction >> 8);
  cdb[5] = static_cast<std::uint8_t>(serviceAction);
  for (int i = 0; i < 4; ++i) cdb[6 + i] = static_cast<std::uint8_t>(allocationLength >> (24 - 8 * i));
  return cdb;
}

bool ScsiCommandSupported(const std::uint8_t* reply, std::size_t length) {
  if (length < 2) return false;
  const std::uint8_t support = reply[1] & 0x07u;
  return support == 0x03 || support == 0x05;
}

std::array<std::uint8_t, 10> ScsiSanitizeCdb(std::uint8_t serviceAction, std::uint16_t parameterLength) {
  std::array<std::uint8_t, 10> cdb{};
  cdb[0] = scsi::Sanitize;
  cdb[1] = static_cast<std::uint8_t>(0x80u | (serviceAction & 0x1Fu));  // IMMED
  cdb[7] = static_cast<std::uint8_t>(parameterLength >> 8);
  cdb[8] = static_cast<std::uint8_t>(parameterLength);
  return cdb;
}

std::vector<std::uint8_t> ScsiOverwriteParameters(std::uint32_t pattern) {
  std::vector<std::uint8_t> parameters = {0x01, 0x00, 0x00, 0x04};  // one pass; a four-byte pattern
  for (int i = 0; i < 4; ++i) parameters.push_back(static_cast<std::uint8_t>(pattern >> (24 - 8 * i)));
  return parameters;
}

std::array<std::uint8_t, 6> ScsiRequestSenseCdb(std::uint8_t allocationLength) {
  return {scsi::RequestSense, 0, 0, 0, allocationLength, 0};
}

ScsiSanitizeProgress DecodeScsiSanitizeSense(const std::uint8_t* sense, std::size_t length) {
  ScsiSanitizeProgress p;
  if (length < 8) return p;
  const std::uint8_t code = sense[0] & 0x7Fu;
  const std::uint8_t* specific = nullptr;  // the three sense-key-specific bytes
  if (code == 0x70 || code == 0x71) {
    if (length < 14) return p;
    p.senseKey = sense[2] & 0x0Fu;
    p.asc = sense[12];
    p.ascq = sense[13];
    if (length >= 18) specific = sense + 15;
  } else if (code == 0x72 || code == 0x73) {
    p.senseKey = sense[1] & 0x0Fu;
    p.asc = sense[2];
    p.ascq = sense[3];
    const std::size_t end = std::min<std::size_t>(length, 8 + std::size_t{sense[7]});
    for (std::size_t at = 8; at + 1 < end; at += 2 + std::size_t{sense[at + 1]})
      if (sense[at] == 0x02 && at + 7 <= end) specific = sense + at + 4;
  }
  p.inProgress = p.senseKey == 0x02 && p.asc == 0x04 && p.ascq == 0x1B;
  p.failed = p.senseKey == 0x03 && p.asc == 0x31 && p.ascq == 0x03;
  if (specific != nullptr && (specific[0] & 0x80u) != 0) {
    p.progressKnown = true;
    p.progress = static_cast<std::uint16_t>(specific[1] << 8 | specific[2]);
  }
  return p;
}

}  // namespace orvella
