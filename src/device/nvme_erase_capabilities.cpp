#include "device/nvme_erase_capabilities.h"

#include "platform/byte_order.h"

namespace orvella {
namespace {

// NVMe texts are ASCII, padded with blanks on the right.
std::string AsciiField(const std::uint8_t* page, std::size_t offset, std::size_t length) {
  std::string text(reinterpret_cast<const char*>(page + offset), length);
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = ' ';
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool Bit(std::uint32_t value, int n) { return (value >> n & 1u) != 0; }

std::optional<std::uint32_t> Estimate(const std::uint8_t* page, std::size_t offset) {
  const std::uint32_t seconds = GetU32(page, offset);
  if (seconds == 0xFFFFFFFFu) return std::nullopt;
  return seconds;
}

}  // namespace

std::string NvmeController::VersionText() const {
  if (version == 0) return "before 1.2";
  std::string text = std::to_string(version >> 16) + "." + std::to_string(version >> 8 & 0xFFu);
  if ((version & 0xFFu) != 0) text += "." + std::to_string(version & 0xFFu);
  return text;
}

NvmeController DecodeNvmeController(const std::uint8_t* page) {
  NvmeController c;
  c.serial = AsciiField(page, 4, 20);
  c.model = AsciiField(page, 24, 40);
  c.firmware = AsciiField(page, 64, 8);
  c.version = GetU32(page, 80);
  const std::uint16_t oacs = GetU16(page, 256);
  c.securitySendReceive = Bit(oacs, 0);
  c.formatNvm = Bit(oacs, 1);
  c.warningTemperature = GetU16(page, 266);
  c.criticalTemperature = GetU16(page, 268);
  const std::uint32_t sanicap = GetU32(page, 328);
  c.sanitizeCrypto = Bit(sanicap, 0);
  c.sanitizeBlock = Bit(sanicap, 1);
  c.sanitizeOverwrite = Bit(sanicap, 2);
  c.noDeallocateInhibited = Bit(sanicap, 29);
  c.noDeallocateModifies = static_cast<std::uint8_t>(sanicap >> 30);
  c.namespaces = GetU32(page, 516);
  const std::uint8_t fna = page[524];
  c.formatAppliesToAll = Bit(fna, 0);
  c.secureEraseAppliesToAll = Bit(fna, 1);
  c.cryptoEraseByFormat = Bit(fna, 2);
  return c;
}

NvmeNamespace DecodeNvmeNamespace(const std::uint8_t* page) {
  NvmeNamespace n;
  n.sizeBlocks = GetLE(page, 0, 8);
  n.capacityBlocks = GetLE(page, 8, 8);
  n.formatCount = static_cast<std::uint8_t>(page[25] + 1);
  const std::uint8_t flbas = page[26];
  n.formatInUse = static_cast<std::uint8_t>((flbas & 0x0Fu) | (flbas >> 1 & 0x30u));
  n.metadataAtEnd = Bit(flbas, 4);
  n.protectionType = page[29] & 0x7u;
  n.protectionFirst = Bit(page[29], 3);
  if (n.formatInUse < 64) {
    const std::size_t format = 128 + 4 * static_cast<std::size_t>(n.formatInUse);
    n.metadataSize = GetU16(page, format);
    const std::uint8_t lbads = page[format + 2];
    if (lbads >= 9 && lbads < 32) n.blockSize = 1u << lbads;
  }
  return n;
}

NvmeSanitizeLog DecodeNvmeSanitizeLog(const std::uint8_t* page) {
  NvmeSanitizeLog log;
  log.progress = GetU16(page, 0);
  const std::uint16_t sstat = GetU16(page, 2);
  const std::uint8_t state = sstat & 0x7u;
  log.state = state <= 4 ? static_cast<NvmeSanitizeState>(state) : NvmeSanitizeState::Failed;
  log.overwritePasses = static_cast<std::uint8_t>(sstat >> 3 & 0x1Fu);
  log.globalDataErased = Bit(sstat, 8);
  log.lastCommandDword10 = GetU32(page, 4);
  log.overwriteSeconds = Estimate(page, 8);
  log.blockEraseSeconds = Estimate(page, 12);
  log.cryptoEraseSeconds = Estimate(page, 16);
  return log;
}

}  // namespace orvella
