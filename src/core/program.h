// Everything the program treats as global, gathered in one place: the
// surroundings it talks to (the OS seam, the clock, the locale, the log
// panes, the halt) and the state that every part reads (the device
// catalogue, the chosen drive, the debug switch, the stop flag, the locked
// volumes). A front end makes one; a test makes a fresh one per case.
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
  std::int64_t SelectedDevice = -1;
  Handle DeviceHandle = 0;
  std::u16string DeviceTitle;
  bool DebugMode = false;
  bool StopRequested = false;
  std::vector<Handle> LockedVolumes;
  // The file systems that the last locking attempt took down, in order.
  std::vector<Unmount> Unmounted;
  // The volumes that refused the last locking attempt, with what holds them.
  std::vector<BusyVolume> BusyVolumes;

  // The chosen catalogue entry; only valid once SelectedDevice is 1 to DeviceCount.
  TDeviceTable& SelectedEntry() { return DeviceTables.at(static_cast<std::size_t>(SelectedDevice)); }
};

}  // namespace orvella
