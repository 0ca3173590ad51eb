#include "reports/nvme_details_report.h"

#include "core/text.h"
#include "device/erase_facts.h"
#include "reports/text_forms.h"

namespace orvella {
namespace {

std::u16string Text(const std::string& utf8) { return Utf8ToText(utf8); }

std::u16string Temperature(std::uint16_t kelvin) {
  if (kelvin == 0) return u"not reported";
  return IntToStr(static_cast<std::int64_t>(kelvin) - 273) + u" \u00B0C (" + IntToStr(kelvin) + u" K)";
}

std::u16string SanitizeActions(const NvmeController& c) {
  std::u16string actions;
  const auto add = [&](bool offered, const char16_t* name) {
    if (!offered) return;
    if (!actions.empty()) actions += u", ";
    actions += name;
  };
  add(c.sanitizeBlock, u"block erase");
  add(c.sanitizeCrypto, u"crypto erase");
  add(c.sanitizeOverwrite, u"overwrite");
  return actions.empty() ? u"not supported" : actions;
}

std::u16string LastSanitize(const std::optional<NvmeSanitizeLog>& log) {
  if (!log) return u"not read";
  switch (log->state) {
    case NvmeSanitizeState::NeverSanitized: return u"never sanitized";
    case NvmeSanitizeState::Completed:
    case NvmeSanitizeState::CompletedNoDeallocate: return u"completed";
    case NvmeSanitizeState::InProgress:
      return u"in progress, " + IntToStr(log->progress * 100 / 65536) + u"% done";
    case NvmeSanitizeState::Failed: return u"failed";
  }
  return u"unknown";
}

}  // namespace

std::optional<DriveEraseFacts> ReadNvmeIdentification(DriveRun& run) {
  DriveEraseFacts facts = ReadDriveEraseFacts(run.program.os, run.DeviceHandle, run.Entry());
  if (!facts.nvme) return std::nullopt;
  return facts;
}

std::vector<std::u16string> NvmeDetailsLines(const DriveEraseFacts& facts, char16_t decimalSeparator) {
  const NvmeController& c = *facts.nvme;
  std::vector<std::u16string> lines = {u"Model: " + Text(c.model), u"Firmware Revision: " + Text(c.firmware),
                                       u"Serial Number: " + Text(c.serial), u"NVMe version: " + Text(c.VersionText()),
                                       u" ", u"CAPACITY:", u"Namespaces: " + IntToStr(c.namespaces)};
  if (const auto& n = facts.nvmeNamespace; n && n->blockSize > 0) {
    const auto bytes = static_cast<std::int64_t>(n->sizeBlocks * n->blockSize);
    lines.push_back(u"Namespace 1: " + IntToGroupedStr(static_cast<std::int64_t>(n->sizeBlocks)) + u" blocks of " +
                    IntToStr(n->blockSize) + u" bytes");
    lines.push_back(u"Full device capacity: " + IntToGroupedStr(bytes) + u" bytes (" +
                    CapacityToStr(bytes, decimalSeparator) + u")");
    lines.push_back(u"LBA format in use: " + IntToStr(n->formatInUse) + u" of " + IntToStr(n->formatCount) + u" (" +
                    IntToStr(n->blockSize) + u"-byte blocks, " +
                    (n->metadataSize == 0 ? std::u16string(u"no metadata")
                                          : IntToStr(n->metadataSize) + u" bytes of metadata") +
                    u")");
  } else {
    lines.push_back(u"Namespace 1: its Identify Namespace data could not be read");
  }
  lines.insert(lines.end(),
               {u" ", u"SANITIZE AND FORMAT:", u"Sanitize: " + SanitizeActions(c),
                std::u16string(u"Format NVM: ") + (c.formatNvm ? u"supported" : u"not supported"),
                std::u16string(u"Crypto erase by Format NVM: ") + (c.cryptoEraseByFormat ? u"supported" : u"not supported"),
                std::u16string(u"A format reaches: ") + (c.formatAppliesToAll ? u"every namespace" : u"one namespace"),
                u"Last sanitize: " + LastSanitize(facts.nvmeSanitize), u" ", u"TEMPERATURE THRESHOLDS:",
                u"Warning: " + Temperature(c.warningTemperature), u"Critical: " + Temperature(c.criticalTemperature)});
  return lines;
}

}  // namespace orvella
