#include "cli/erase_steps.h"

#include "core/display_text.h"
#include "core/text.h"
#include "device/device_records.h"
#include "device/erase_facts.h"
#include "device/erase_methods.h"
#include "reports/drive_list.h"
#include "reports/text_forms.h"

namespace orvella::cli {

std::string DriveIdentityLine(DriveRun& run) {
  const TDeviceTable& entry = run.Entry();
  const DriveNames names = run.program.os.DriveNamesOf(entry.DeviceNumber);
  const DriveRow cells = ShownDriveListRow(run.program, static_cast<int>(run.SelectedDevice));
  std::u16string line = u"Drive " + UIntToStr(entry.DeviceNumber) + u": " + DisplaySafe(names.devicePath);
  if (!names.stableLink.empty()) line += u" (" + DisplaySafe(names.stableLink) + u")";
  const std::u16string serial = ReportedSerial(entry.IdentifyData);
  line += u", model \"" + cells[1] + u"\", " +
          (serial.empty() ? u"no serial number" : u"serial \"" + DisplaySafe(serial) + u"\"") + u", " + cells[5] +
          u" (" + IntToGroupedStr(entry.IdentifyData.LBA) + u" sectors)";
  return TextToUtf8(line);
}

std::optional<ExitCode> CheckExpectedSerial(Console& console, const DriveRun& drive, const std::string& expected) {
  if (expected.empty()) return std::nullopt;
  const std::string serial = TextToUtf8(ReportedSerial(drive.Entry().IdentifyData));
  if (serial.empty()) {
    console.Problem(
        "not erasing: the drive reports no serial number, so it cannot be the one --expect-serial names ('" + expected +
        "'); nothing was written.");
    return kExitRefused;
  }
  if (serial == TextToUtf8(Trim(Utf8ToText(expected)))) return std::nullopt;
  console.Problem("not erasing: the drive's serial number is '" + serial + "', not '" + expected +
                  "'; nothing was written.");
  return kExitRefused;
}

std::optional<ExitCode> CheckMethod(Console& console, DriveRun& drive, EraseMethod method) {
  const MethodChoice choice =
      ChooseMethod(method, ReadDriveEraseFacts(drive.program.os, drive.DeviceHandle, drive.Entry()));
  if (choice.available) return std::nullopt;
  console.Problem(std::string("not erasing: ") + EraseMethodName(method) +
                  " is not available on this drive: " + TextToUtf8(choice.reason) + "; nothing was sent.");
  return kExitRefused;
}

EraseChoices ChoicesOf(const Options& options) {
  EraseChoices choices;
  choices.quickWipe = options.quick;
  choices.verify = options.verify;
  choices.method = options.method;
  choices.thenZeros = options.thenZeros;
  choices.operatorName = options.operatorName;
  choices.assetTag = options.assetTag;
  return choices;
}

}  // namespace orvella::cli
