#include "cli/json_forms.h"

#include "app/drive_choose.h"
#include "core/text.h"
#include "device/smart_attribute_names.h"
#include "reports/text_forms.h"

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

Json DriveJson(Program& program, int index) {
  const TDeviceTable& entry = program.DeviceTables.at(static_cast<std::size_t>(index));
  const TIdentifyDeviceData& data = entry.IdentifyData;
  const DriveRow cells = DriveListRow(program, index);
  const DriveNames names = program.os.DriveNamesOf(entry.DeviceNumber);
  return {{"drive", entry.DeviceNumber},
          {"path", Utf8(names.devicePath)},
          {"stableLink", names.stableLink.empty() ? Json(nullptr) : Json(Utf8(names.stableLink))},
          {"title", Utf8(GetDeviceTitle(program.DeviceTables, index, program.locale.DecimalSeparator()))},
          {"bus", Utf8(cells[0])},
          {"model", Utf8(cells[1])},
          {"firmware", Utf8(cells[2])},
          {"serial", Utf8(cells[3])},
          {"sectors", data.LBA},
          {"sectorSize", data.SectorSize},
          {"bytes", static_cast<std::int64_t>(static_cast<std::uint64_t>(data.LBA) *
                                              static_cast<std::uint64_t>(data.SectorSize))},
          {"capacity", Utf8(cells[5])},
          {"removable", data.RemovableMedia != 0},
          {"readOnly", names.readOnly},
          {"mounted", names.mounted},
          {"choosable", data.LBA >= kSmallestChoosableLba}};
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
