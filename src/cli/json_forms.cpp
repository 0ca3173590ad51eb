#include "cli/json_forms.h"

#include "core/text.h"
#include "device/smart_attribute_meanings.h"
#include "device/smart_attribute_names.h"
#include "record/hidden_areas_json.h"
#include "reports/nvme_health_report.h"
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
          {"lba48FeatureSet", p.lba48featureset},
          {"logicalSectorSize", p.logicalsectorsize},
          {"capacityBytes", static_cast<std::int64_t>(static_cast<std::uint64_t>(p.lbasectors) *
                                                      static_cast<std::uint64_t>(p.logicalsectorsize))},
          {"readMultipleSectors", p.readmultiplesectors},
          {"securitySupported", p.securitysupport},
          {"locked", p.locked},
          {"securityEnabled", p.securityenabled},
          {"securityFrozen", p.securityfrozen},
          {"securityLevelMaximum", p.lockedmax},
          {"hpaSupported", p.hpasupport},
          {"amaSupported", p.amasupport},
          {"dcoSupported", p.dcosupport},
          {"smartSupported", p.smartsupport},
          {"smartEnabled", p.smartenabled},
          {"aamSupported", p.aamsupport},
          {"dmaSupported", p.dmasupport},
          {"udmaModeSupported", p.dmamodesupport},
          {"udmaModeSelected", p.dmamodeselected},
          {"udma6Supported", p.udma6supported},
          {"udma6Selected", p.udma6selected},
          {"queueSupported", p.QueueSupported},
          // Word 75 holds the maximum queue depth less one.
          {"maxQueueDepth", p.QueueDepth > 0 ? p.QueueDepth + 1 : 0},
          {"streamingSupported", p.StreamingSupported}};
}

template <typename T>
Json OrNull(const std::optional<T>& value) {
  return value ? Json(*value) : Json(nullptr);
}

const char* StatusName(AttributeStatus status) {
  switch (status) {
    case AttributeStatus::Ok: return "ok";
    case AttributeStatus::FailedInThePast: return "failed-in-the-past";
    case AttributeStatus::FailingNow: return "failing-now";
    case AttributeStatus::NoThreshold: break;
  }
  return "no-threshold";
}

const char* VerdictName(SmartVerdict verdict) {
  switch (verdict) {
    case SmartVerdict::Passed: return "passed";
    case SmartVerdict::Failing: return "failing";
    case SmartVerdict::Unknown: break;
  }
  return "unknown";
}

Json CounterJson(const NvmeCounter& counter) {
  if (counter.high == 0) return counter.low;
  return Utf8(counter.DecimalText());
}

}  // namespace

Json CatalogueJson(Program& program) {
  Json drives = Json::array();
  for (int index = 1; index <= program.DeviceCount; ++index) drives.push_back(DriveJson(program, index));
  return {{"count", program.DeviceCount}, {"drives", drives}};
}

Json IdentificationJson(const DeviceIdentification& identification) {
  const bool identified = identification.outcome == IdentifyOutcome::Identified;
  return {{"identified", identified},
          {"outcome", OutcomeName(identification.outcome)},
          {"passport", identified ? PassportJson(identification.passport) : nullptr},
          {"hiddenAreas", identified ? HiddenAreasJson(identification.hiddenAreas) : nullptr}};
}

Json AttributeJson(const SmartAttributeRow& row) {
  const SmartAttributeEntry& entry = row.entry;
  const auto commonName = SmartAttributeCommonName(entry.id);
  return {{"id", entry.id},
          {"name", Utf8(Trim(SmartAttributeName(entry.id)))},
          {"commonName", commonName ? Json(Utf8(std::u16string(*commonName))) : Json(nullptr)},
          {"current", entry.current},
          {"worst", entry.worst},
          {"raw", entry.raw},
          {"threshold", OrNull(row.threshold)},
          {"status", StatusName(row.status)}};
}

Json SmartHealthJson(const SmartReading& reading) {
  return {{"verdict", VerdictName(reading.verdict)}, {"thresholdsRead", reading.thresholdsRead}};
}

Json NvmeHealthJson(const NvmeHealthLog& log) {
  Json warnings = Json::array();
  for (const std::u16string& name : CriticalWarningNames(log.criticalWarning)) warnings.push_back(Utf8(name));
  return {{"criticalWarning", log.criticalWarning},
          {"criticalWarnings", warnings},
          {"compositeTemperatureKelvin", log.compositeTemperatureKelvin},
          {"availableSparePercent", log.availableSpare},
          {"availableSpareThresholdPercent", log.availableSpareThreshold},
          {"percentageUsed", log.percentageUsed},
          {"dataUnitsRead", CounterJson(log.dataUnitsRead)},
          {"dataUnitsWritten", CounterJson(log.dataUnitsWritten)},
          {"hostReadCommands", CounterJson(log.hostReadCommands)},
          {"hostWriteCommands", CounterJson(log.hostWriteCommands)},
          {"controllerBusyMinutes", CounterJson(log.controllerBusyMinutes)},
          {"powerCycles", CounterJson(log.powerCycles)},
          {"powerOnHours", CounterJson(log.powerOnHours)},
          {"unsafeShutdowns", CounterJson(log.unsafeShutdowns)},
          {"mediaErrors", CounterJson(log.mediaErrors)},
          {"errorLogEntries", CounterJson(log.errorLogEntries)},
          {"warningTemperatureMinutes", log.warningTemperatureMinutes},
          {"criticalTemperatureMinutes", log.criticalTemperatureMinutes},
          {"verdict", log.criticalWarning == 0 ? "passed" : "failing"}};
}

}  // namespace orvella::cli
