#include "catalogue/unopened_drives.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/program.h"
#include "core/system_error_text.h"
#include "core/text.h"

namespace orvella {

std::u16string UnopenedDrivesNote(Program& program) {
  const std::vector<UnopenedDrive>& unopened = program.UnopenedDrives;
  if (unopened.empty()) return {};
  // The reasons in the order they first appeared, each with its count.
  std::vector<std::pair<std::uint32_t, int>> reasons;
  for (const UnopenedDrive& drive : unopened) {
    auto known = std::find_if(reasons.begin(), reasons.end(), [&](const auto& r) { return r.first == drive.error; });
    if (known == reasons.end()) reasons.emplace_back(drive.error, 1);
    else ++known->second;
  }
  std::u16string note = UIntToStr(unopened.size()) + (unopened.size() == 1 ? u" drive" : u" drives") +
                        u" could not be opened: ";
  for (std::size_t i = 0; i < reasons.size(); ++i) {
    if (i > 0) note += u"; ";
    note += SystemErrorMessage(program.os, reasons[i].first);
    if (reasons.size() > 1) note += u" (" + IntToStr(reasons[i].second) + u")";
  }
  return note + u".";
}

bool RightsMissingForEveryDrive(const Program& program) {
  return program.DeviceCount == 0 &&
         std::any_of(program.UnopenedDrives.begin(), program.UnopenedDrives.end(),
                     [](const UnopenedDrive& drive) { return drive.error == ERROR_ACCESS_DENIED; });
}

}  // namespace orvella
