#include "reports/smart_report.h"

#include <optional>

#include "core/log_sinks.h"
#include "core/text.h"
#include "device/identify_device.h"
#include "device/identify_parser.h"
#include "device/smart_access.h"
#include "device/smart_attribute_names.h"
#include "reports/report_header.h"
#include "reports/text_forms.h"

namespace orvella {
namespace {

constexpr char16_t kColumnHeader[] =
    u"          Attribute                      Current   Worst          Raw       Note";
constexpr std::size_t kRuleWidth = 88;
constexpr int kTemperatureId = 194;

std::u16string TwoHexDigits(std::uint8_t value) {
  constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  return {kDigits[value >> 4], kDigits[value & 0xF]};
}

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
std::optional<bool> SmartEnabledNow(Program& program, std::uint8_t driveNumber) {
  AtaSector data{};
  if (!IdentifyDevice(program.os, program.DeviceHandle, driveNumber, data)) return std::nullopt;
  const T_IDE_PASSPORT passport = ParseIdentifyData(program.os, data);
  if (!passport.smartsupport) return std::nullopt;
  return passport.smartenabled;
}

// An ATA-bus drive needs S.M.A.R.T. switched on to answer READ DATA. The
// switch survives power cycles, so it is switched off afterwards only when
// it was found off; when that cannot be learned it stays on, which costs the
// drive nothing.
bool ReadPageSwitchingSmartOn(Program& program, std::uint8_t driveNumber, AtaSector& page) {
  const std::optional<bool> wasEnabled = SmartEnabledNow(program, driveNumber);
  bool ok = SmartEnable(program.os, program.DeviceHandle, driveNumber);
  if (ok) ok = SmartReadData(program.os, program.DeviceHandle, driveNumber, page);
  if (wasEnabled == false) SmartDisable(program.os, program.DeviceHandle, driveNumber);
  return ok;
}

}  // namespace

std::optional<std::vector<SmartAttributeEntry>> ReadSmartAttributes(Program& program) {
  const TIdentifyDeviceData& drive = program.SelectedEntry().IdentifyData;
  AtaSector page{};
  const bool ok = drive.BusType == BusTypeAta
                      ? ReadPageSwitchingSmartOn(program, drive.IsIDESlave, page)
                      : SmartReadData(program.os, program.DeviceHandle, drive.IsIDESlave, page);
  if (!ok) return std::nullopt;
  std::vector<SmartAttributeEntry> entries;
  for (int slot = 0; slot < kSmartAttributeSlots; ++slot) {
    const SmartAttributeEntry entry = SmartAttributeAt(page, slot);
    if (entry.id == 0) break;
    entries.push_back(entry);
  }
  return entries;
}

bool ShowSmartReport(Program& program) {
  WriteReportHeader(program, AddSmartLine, u"SMART data for ");

  const std::optional<std::vector<SmartAttributeEntry>> entries = ReadSmartAttributes(program);
  if (!entries) {
    AddSmartLine(program, u"SMART is not supported by this device.");
    return false;
  }

  AddSmartLine(program, kColumnHeader);
  AddSmartLine(program, std::u16string(kRuleWidth, u'-'));
  for (const SmartAttributeEntry& entry : *entries) AddSmartLine(program, AttributeRow(entry));
  AddSmartLine(program, kBlankLine);
  return true;
}

}  // namespace orvella
