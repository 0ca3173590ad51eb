#include "record/drive_json.h"

#include "core/text.h"
#include "reports/drive_list.h"
#include "reports/text_forms.h"

namespace orvella {

Json DriveJson(Program& program, int index) {
  const TDeviceTable& entry = program.DeviceTables.at(static_cast<std::size_t>(index));
  const TIdentifyDeviceData& data = entry.IdentifyData;
  const DriveRow cells = DriveListRow(program, index);
  const DriveNames names = program.os.DriveNamesOf(entry.DeviceNumber);
  const std::u16string serial = ReportedSerial(data);
  return {{"drive", entry.DeviceNumber},
          {"path", TextToUtf8(names.devicePath)},
          {"stableLink", names.stableLink.empty() ? Json(nullptr) : Json(TextToUtf8(names.stableLink))},
          {"title", TextToUtf8(GetDeviceTitle(program.DeviceTables, index, program.locale.DecimalSeparator()))},
          {"bus", TextToUtf8(cells[0])},
          {"model", TextToUtf8(cells[1])},
          {"firmware", TextToUtf8(cells[2])},
          {"serial", serial.empty() ? Json(nullptr) : Json(TextToUtf8(serial))},
          {"sectors", data.LBA},
          {"sectorSize", data.SectorSize},
          {"bytes", NumberOrNull(DriveBytes(data))},
          {"capacity", TextToUtf8(cells[5])},
          {"removable", data.RemovableMedia != 0},
          {"readOnly", names.readOnly},
          {"mounted", names.mounted},
          {"systemDisk", HoldsRunningSystem(names)},
          {"choosable", data.LBA >= kSmallestChoosableLba}};
}

}  // namespace orvella
