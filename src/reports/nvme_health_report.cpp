#include "reports/nvme_health_report.h"

#include <array>
#include <utility>

#include "core/log_sinks.h"
#include "core/text.h"
#include "reports/report_header.h"
#include "reports/text_forms.h"

namespace orvella {
namespace {

constexpr std::uint16_t kNameWidth = 34;
constexpr std::size_t kRuleWidth = 60;
constexpr int kKelvinAtZeroCelsius = 273;
constexpr std::uint64_t kBytesPerDataUnit = 512'000;

constexpr std::array<std::pair<std::uint8_t, const char16_t*>, 6> kWarningNames{{
    {kNvmeSpareBelowThreshold, u"available spare below its threshold"},
    {kNvmeTemperatureOutOfRange, u"temperature out of range"},
    {kNvmeReliabilityDegraded, u"reliability degraded by media or internal errors"},
    {kNvmeReadOnly, u"media placed in read-only mode"},
    {kNvmeVolatileBackupFailed, u"volatile memory backup failed"},
    {kNvmePersistentMemoryReadOnly, u"persistent memory region read-only"},
}};

// A count of data units with the bytes it stands for, where they fit.
std::u16string DataUnits(const NvmeCounter& units, char16_t decimalSeparator) {
  std::u16string text = units.DecimalText();
  constexpr std::uint64_t kLargestCountable = INT64_MAX / kBytesPerDataUnit;
  if (units.high == 0 && units.low <= kLargestCountable)
    text += u" (" + CapacityToStr(static_cast<std::int64_t>(units.low * kBytesPerDataUnit), decimalSeparator) + u")";
  return text;
}

std::u16string Temperature(std::uint16_t kelvin) {
  if (kelvin == 0) return u"not reported";
  return IntToStr(kelvin) + u" K (" + IntToStr(kelvin - kKelvinAtZeroCelsius) + u" degrees Celsius)";
}

class NvmeTable {
 public:
  explicit NvmeTable(Program& program) : program_(program) {}
  void Row(const std::u16string& name, const std::u16string& value) {
    AddSmartLine(program_, u" " + PadRight(name, kNameWidth) + value);
  }
  void Line(const std::u16string& text) { AddSmartLine(program_, text); }

 private:
  Program& program_;
};

void WriteLog(Program& program, const NvmeHealthLog& log) {
  const char16_t separator = program.locale.DecimalSeparator();
  NvmeTable table(program);
  table.Line(u" NVMe SMART / Health Information (log page 02h)");
  table.Line(std::u16string(kRuleWidth, u'-'));
  const std::vector<std::u16string> warnings = CriticalWarningNames(log.criticalWarning);
  table.Row(u"Critical warning", u"0x" + TwoHexDigits(log.criticalWarning) + (warnings.empty() ? u" (none)" : u""));
  for (const std::u16string& warning : warnings) table.Row(u"", u"- " + warning);
  table.Row(u"Composite temperature", Temperature(log.compositeTemperatureKelvin));
  table.Row(u"Available spare", IntToStr(log.availableSpare) + u"%");
  table.Row(u"Available spare threshold", IntToStr(log.availableSpareThreshold) + u"%");
  table.Row(u"Percentage used", IntToStr(log.percentageUsed) + u"%");
  table.Row(u"Data units read", DataUnits(log.dataUnitsRead, separator));
  table.Row(u"Data units written", DataUnits(log.dataUnitsWritten, separator));
  table.Row(u"Power-on hours", log.powerOnHours.DecimalText());
  table.Row(u"Power cycles", log.powerCycles.DecimalText());
  table.Row(u"Unsafe shutdowns", log.unsafeShutdowns.DecimalText());
  table.Row(u"Media and data integrity errors", log.mediaErrors.DecimalText());
  table.Row(u"Error information log entries", log.errorLogEntries.DecimalText());
  table.Line(kBlankLine);
  table.Line(log.criticalWarning == 0 ? u"Overall health: PASSED (no critical warning)"
                                      : u"Overall health: FAILING (critical warning set)");
  table.Line(kBlankLine);
}

}  // namespace

std::vector<std::u16string> CriticalWarningNames(std::uint8_t warning) {
  std::vector<std::u16string> names;
  for (const auto& [bit, name] : kWarningNames)
    if ((warning & bit) != 0) names.emplace_back(name);
  return names;
}

std::optional<NvmeHealthLog> ReadNvmeHealth(DriveRun& run) {
  NvmeLogPage page{};
  if (!ReadNvmeHealthLog(run.program.os, run.DeviceHandle, page)) return std::nullopt;
  return ParseNvmeHealthLog(page);
}

bool ShowNvmeHealthReport(DriveRun& run) {
  Program& program = run.program;
  const std::optional<NvmeHealthLog> log = ReadNvmeHealth(run);
  if (!log) {
    AddSmartLine(program, kSmartNotSupported);
    return false;
  }
  WriteLog(program, *log);
  return true;
}

}  // namespace orvella
