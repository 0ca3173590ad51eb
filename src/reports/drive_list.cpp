#include "reports/drive_list.h"

#include <algorithm>
#include <utility>

#include "core/display_text.h"
#include "core/text.h"
#include "reports/text_forms.h"

namespace orvella {

DriveRow DriveListRow(Program& program, int index) {
  const TDeviceTable& entry = program.DeviceTables.at(static_cast<std::size_t>(index));
  const TIdentifyDeviceData& data = entry.IdentifyData;
  // A size beyond any drive's (a damaged entry) shows as none.
  const std::int64_t bytes = DriveBytes(data).value_or(0);
  return {BusTypeToStr(data.BusType), Trim(data.Model), data.FW, data.SN, IntToStr(data.LBA),
          CapacityToStr(bytes, program.locale.DecimalSeparator()), program.os.DriveNamesOf(entry.DeviceNumber).devicePath};
}

DriveRow ShownDriveListRow(Program& program, int index) {
  DriveRow cells = DriveListRow(program, index);
  for (std::u16string& cell : cells) cell = DisplaySafe(cell);
  return cells;
}

bool HoldsRunningSystem(const DriveNames& names) {
  for (const Unmount& fileSystem : names.fileSystems) {
    for (const char16_t* systemPlace : {u"/", u"/boot", u"/usr", u"/boot/efi", u"C:\\"})
      if (fileSystem.mountPoint == systemPlace) return true;
  }
  return false;
}

std::u16string DriveStateText(const DriveNames& names, bool removable, bool tooSmall) {
  std::u16string text;
  for (const auto& [holds, word] :
       {std::pair{HoldsRunningSystem(names), u"system disk"}, std::pair{removable, u"removable"},
        std::pair{names.readOnly, u"read-only"}, std::pair{names.mounted, u"mounted"},
        std::pair{tooSmall, u"too small"}})
    if (holds) text += (text.empty() ? u"" : u", ") + std::u16string(word);
  return text.empty() ? u"-" : text;
}

DriveListLine DriveListLineOf(Program& program, int index) {
  const TDeviceTable& entry = program.DeviceTables.at(static_cast<std::size_t>(index));
  const bool tooSmall = entry.IdentifyData.LBA < kSmallestChoosableLba;
  return {UIntToStr(entry.DeviceNumber), ShownDriveListRow(program, index),
          DriveStateText(program.os.DriveNamesOf(entry.DeviceNumber), entry.IdentifyData.RemovableMedia != 0, tooSmall),
          !tooSmall};
}

std::array<std::u16string, kDriveListColumns.size()> DriveListCells(const DriveListLine& line) {
  std::array<std::u16string, kDriveListColumns.size()> cells;
  cells[0] = line.number;
  std::copy(line.row.begin(), line.row.end(), cells.begin() + 1);
  cells.back() = line.state;
  return cells;
}

}  // namespace orvella
