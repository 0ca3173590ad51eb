#include "reports/smart_report.h"

#include <optional>

#include "core/log_sinks.h"
#include "core/text.h"
#include "device/identify_device.h"
#include "device/identify_parser.h"
#include "device/smart_attribute_names.h"
#include "reports/nvme_health_report.h"
#include "reports/report_header.h"
#include "reports/smart_units.h"
#include "reports/text_forms.h"

namespace orvella {
namespace {

constexpr char16_t kColumnHeader[] =
    u"          Attribute                      Current   Worst          Raw       Note";
constexpr char16_t kThresholdHeader[] =
    u"          Attribute                   Threshold  State              Raw value";
constexpr std::size_t kRuleWidth = 88;
constexpr int kTemperatureId = 194;

std::u16string AttributeRow(const SmartAttributeEntry& e) {
  std::u16string row = u" " + PadRight(IntToStr(e.id), 3) + u"  " + TwoHexDigits(e.id) + u"  " +
                       std::u16string(SmartAttributeName(e.id)) + u"     " + PadLeft(IntToStr(e.current), 5) +
                       u"  " + PadLeft(IntToStr(e.worst), 7) + u"  " +
                       PadLeft(UIntToStr(e.raw), 16);
  // The temperature in degrees is the lowest byte of the raw value.
  if (e.id == kTemperatureId) row += u"  (" + UIntToStr(e.raw & 0xFF) + u" degrees) ";
  return row;
}

// Whether S.M.A.R.T. is on in the drive now, from IDENTIFY word 85 bit 0.
// Unknown when the drive does not identify or does not claim the feature set
// (the enabled bit means nothing then).
std::optional<bool> SmartEnabledNow(DriveRun& run, std::uint8_t driveNumber) {
  AtaSector data{};
  if (!IdentifyDevice(run.program.os, run.DeviceHandle, driveNumber, data)) return std::nullopt;
  const T_IDE_PASSPORT passport = ParseIdentifyData(run.program.os, data);
  if (!passport.smartsupport) return std::nullopt;
  return passport.smartenabled;
}

// The values page; with it, the thresholds page and the drive's verdict.
struct SmartPages {
  AtaSector values{};
  std::optional<AtaSector> thresholds;
  SmartVerdict verdict = SmartVerdict::Unknown;
};

bool ReadPages(DriveRun& run, std::uint8_t driveNumber, SmartPages& pages) {
  if (!SmartReadData(run.program.os, run.DeviceHandle, driveNumber, pages.values)) return false;
  AtaSector thresholds{};
  if (SmartReadThresholds(run.program.os, run.DeviceHandle, driveNumber, thresholds)) pages.thresholds = thresholds;
  pages.verdict = SmartReturnStatus(run.program.os, run.DeviceHandle, driveNumber);
  return true;
}

// An ATA-bus drive needs S.M.A.R.T. switched on to answer. The switch
// survives power cycles, so it is switched off afterwards only when it was
// found off; when that cannot be learned it stays on, which costs the drive
// nothing.
bool ReadPagesSwitchingSmartOn(DriveRun& run, std::uint8_t driveNumber, SmartPages& pages) {
  const std::optional<bool> wasEnabled = SmartEnabledNow(run, driveNumber);
  bool ok = SmartEnable(run.program.os, run.DeviceHandle, driveNumber);
  if (ok) ok = ReadPages(run, driveNumber, pages);
  if (wasEnabled == false) SmartDisable(run.program.os, run.DeviceHandle, driveNumber);
  return ok;
}

SmartReading Judge(const SmartPages& pages) {
  SmartReading reading;
  reading.thresholdsRead = pages.thresholds.has_value();
  reading.verdict = pages.verdict;
  for (int slot = 0; slot < kSmartAttributeSlots; ++slot) {
    SmartAttributeRow row;
    row.entry = SmartAttributeAt(pages.values, slot);
    if (row.entry.id == 0) continue;  // drives leave empty slots between attributes
    if (pages.thresholds) row.threshold = ThresholdFor(*pages.thresholds, row.entry.id);
    row.status = JudgeAttribute(row.entry, row.threshold);
    reading.rows.push_back(row);
  }
  return reading;
}

std::u16string VerdictLine(SmartVerdict verdict) {
  switch (verdict) {
    case SmartVerdict::Passed: return u"Overall health self-assessment: PASSED";
    case SmartVerdict::Failing: return u"Overall health self-assessment: FAILING (a threshold is exceeded)";
    case SmartVerdict::Unknown: break;
  }
  return u"Overall health self-assessment: not reported by the drive";
}

std::optional<std::u16string> ThresholdLine(const SmartAttributeRow& row) {
  const std::u16string lead =
      u"Attribute " + IntToStr(row.entry.id) + u" " + Trim(std::u16string(SmartAttributeName(row.entry.id)));
  const std::u16string threshold = u", threshold " + IntToStr(row.threshold.value_or(0)) + u")";
  switch (row.status) {
    case AttributeStatus::FailingNow:
      return lead + u": FAILING NOW (current " + IntToStr(row.entry.current) + threshold;
    case AttributeStatus::FailedInThePast:
      return lead + u": failed in the past (worst " + IntToStr(row.entry.worst) + threshold;
    case AttributeStatus::Ok:
    case AttributeStatus::NoThreshold: break;
  }
  return std::nullopt;
}

std::u16string StatusWords(const SmartAttributeRow& row) {
  switch (row.status) {
    case AttributeStatus::FailingNow: return u"FAILING NOW";
    case AttributeStatus::FailedInThePast: return u"failed in the past";
    case AttributeStatus::Ok: return u"ok";
    case AttributeStatus::NoThreshold: break;
  }
  return u"no threshold";
}

// Below the attribute table: each attribute's threshold, whether it fails
// now or failed once, and its raw value in its unit where it has one.
void WriteThresholdTable(Program& program, const SmartReading& reading) {
  if (reading.rows.empty()) return;
  AddSmartLine(program, kThresholdHeader);
  AddSmartLine(program, std::u16string(kRuleWidth, u'-'));
  for (const SmartAttributeRow& row : reading.rows) {
    const SmartAttributeEntry& e = row.entry;
    const std::u16string threshold = row.threshold ? IntToStr(*row.threshold) : u"-";
    const std::optional<std::u16string> raw = RawValueWithUnit(e.id, e.raw);
    AddSmartLine(program, u" " + PadRight(IntToStr(e.id), 3) + u"  " + TwoHexDigits(e.id) + u"  " +
                              std::u16string(SmartAttributeName(e.id)) + u"  " + PadLeft(threshold, 9) + u"  " +
                              PadRight(StatusWords(row), 19) + (raw ? *raw : UIntToStr(e.raw)));
  }
  AddSmartLine(program, kBlankLine);
}

void WriteHealth(Program& program, const SmartReading& reading) {
  AddSmartLine(program, VerdictLine(reading.verdict));
  if (!reading.thresholdsRead) AddSmartLine(program, u"Attribute thresholds: not reported by the drive");
  for (const SmartAttributeRow& row : reading.rows)
    if (const auto line = ThresholdLine(row)) AddSmartLine(program, *line);
  AddSmartLine(program, kBlankLine);
}

bool ShowAtaSmartReport(DriveRun& run) {
  Program& program = run.program;
  const std::optional<SmartReading> reading = ReadSmartAttributes(run);
  if (!reading) {
    AddSmartLine(program, kSmartNotSupported);
    return false;
  }
  AddSmartLine(program, kColumnHeader);
  AddSmartLine(program, std::u16string(kRuleWidth, u'-'));
  for (const SmartAttributeRow& row : reading->rows) AddSmartLine(program, AttributeRow(row.entry));
  AddSmartLine(program, kBlankLine);
  WriteThresholdTable(program, *reading);
  WriteHealth(program, *reading);
  return true;
}

}  // namespace

std::optional<SmartReading> ReadSmartAttributes(DriveRun& run) {
  const TIdentifyDeviceData& drive = run.Entry().IdentifyData;
  SmartPages pages;
  const bool ok = drive.BusType == BusTypeAta ? ReadPagesSwitchingSmartOn(run, drive.IsIDESlave, pages)
                                              : ReadPages(run, drive.IsIDESlave, pages);
  if (!ok) return std::nullopt;
  return Judge(pages);
}

bool ShowSmartReport(DriveRun& run) {
  WriteReportHeader(run, AddSmartLine, u"SMART data for ");
  if (run.Entry().IdentifyData.BusType == BusTypeNvme) return ShowNvmeHealthReport(run);
  return ShowAtaSmartReport(run);
}

}  // namespace orvella
