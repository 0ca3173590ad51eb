// Everything the program shares among the drives it works on, gathered in
// one place: the surroundings it talks to (the OS seam, the clock, the
// locale, the log panes, the halt), the device catalogue that every part
// reads, and the debug switch. What belongs to one opened drive (its entry,
// handle, stop request, locked volumes, log) lives in a DriveRun
// (device/drive_run.h). A front end makes one Program; a test makes a fresh
// one per case.
//
// The catalogue is made of device records, so this header knows
// device/device_records.h: the records are plain values with no behaviour,
// and every layer above core/ reads the catalogue through them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/halt.h"
#include "core/locale.h"
#include "core/log_panes.h"
#include "device/device_records.h"
#include "platform/os.h"
#include "platform/system_use.h"

namespace orvella {

// One entry for every drive number the walk can try (0 to 255), so that no
// drive the walk finds is left out.
inline constexpr int kCatalogueSlots = 256;  // entries 1 to 256

// The product name and version as every text shows it.
inline constexpr char16_t kProgramTitle[] = u"Orvella 4.30";
inline constexpr char16_t kMakerWebAddress[] = u"https://orvella.example.org";
inline constexpr char16_t kSupportForumAddress[] = u"https://orvella.example.org/forum";
inline constexpr char16_t kMakerNotice[] = u"Orvella project. Free software";

// A drive number the walk found but could not open, and the system's reason.
struct UnopenedDrive {
  std::uint32_t driveNumber = 0;
  std::uint32_t error = 0;
  bool operator==(const UnopenedDrive&) const = default;
};

struct Program {
  Program(Os& os, Clock& clock, Locale& locale, LogPanes& panes, Halt& halt)
      : os(os), clock(clock), locale(locale), panes(panes), halt(halt) {}

  Os& os;
  Clock& clock;
  Locale& locale;
  LogPanes& panes;
  Halt& halt;

  // The device catalogue; index 0 is unused so entries keep their numbers.
  std::array<TDeviceTable, kCatalogueSlots + 1> DeviceTables{};
  std::int64_t DeviceCount = 0;
  // The drives that exist but could not be opened, in drive-number order.
  std::vector<UnopenedDrive> UnopenedDrives;
  bool DebugMode = false;
  // Which parts of the running system a drive holds, where the backend can
  // tell more than the mount points of DriveNamesOf (swap, stacked
  // devices, the program's own file); empty where it cannot.
  SystemUseQuery systemUseOf;
};

}  // namespace orvella
