#include "cli/json_forms.h"

#include "core/text.h"
#include "device/smart_attribute_names.h"

namespace orvella::cli {
namespace {

std::string Utf8(const std::u16string& text) { return TextToUtf8(text); }

const char* OutcomeName(IdentifyOutcome outcome) {
  switch (outcome) {
    case IdentifyOutcome::Identified: return "identified";
    case IdentifyOutcome::InternalError: return "internal-error";
    case IdentifyOutcome::Unavailable: return "unavailable";
  }
  return "unavailable";
}

Json PassportJson(const T_IDE_PASSPORT& p) {
  return {{"model", Utf8(p.name)},
          {"firmware", Utf8(p.fw)},
          {"serial", Utf8(p.sn)},
          {"bufferSize", p.buffersize},
          {"lba28Supported", p.lba28support},
          {"lba48Supported", p.lba48support},
          {"lba28Sectors", p.lba28sectors},
          {"lba48Sectors", p.lba48sectors},
          {"sectors", p.lbasectors},
          {"capacityBytes", static_cast<std::int64_t>(static_cast<std::uint64_t>(p.lbasectors) * 512u)},
          {"readMultipleSectors", p.readmultiplesectors},
          {"securitySupported", p.securitysupport},
          {"locked", p.locked},
          {"securityLevelMaximum", p.lockedmax},
          {"hpaSupported", p.hpasupport},
          {"smartSupported", p.smartsupport},
          {"smartEnabled", p.smartenabled},
          {"aamSupported", p.aamsupport},
          {"dmaSupported", p.dmasupport},
          {"udmaModeSupported", p.dmamodesupport},
          {"udmaModeSelected", p.dmamodeselected},
          {"queueSupported", p.QueueSupported},
          // Word 75 holds the maximum queue depth less one.
          {"maxQueueDepth", p.QueueDepth > 0 ? p.QueueDepth + 1 : 0},
          {"streamingSupported", p.StreamingSupported}};
}

}  // namespace

std::string DriveStateText(const DriveNames& names, bool removable) {
  std::string text;
  for (const auto& [holds, word] : {std::pair{removable, "removable"}, std::pair{names.readOnly, "read-only"},
                                    std::pair{names.mounted, "mounted"}})
    if (holds) text += (text.empty() ? "" : ", ") + std::string(word);
  return text.empty() ? "-" : text;
}

Json CatalogueJson(Program& program) {
  Json drives = Json::array();
  for (int index = 1; index <= program.DeviceCount; ++index) drives.push_back(DriveJson(program, index));
  return {{"count", program.DeviceCount}, {"drives", drives}};
}

Json IdentificationJson(const DeviceIdentification& identification) {
  const bool identified = identification.outcome == IdentifyOutcome::Identified;
  return {{"identified", identified},
          {"outcome", OutcomeName(identification.outcome)},
          {"passport", identified ? PassportJson(identification.passport) : nullptr}};
}

Json AttributeJson(const SmartAttributeEntry& entry) {
  return {{"id", entry.id},
          {"name", Utf8(Trim(SmartAttributeName(entry.id)))},
          {"current", entry.current},
          {"worst", entry.worst},
          {"raw", entry.raw}};
}

}  // namespace orvella::cli
