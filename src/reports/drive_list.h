// The drive list's rows: the cells of a catalogue entry as the selection
// window, the terminal's list, the erase question and the records show them,
// and which drives may be chosen.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/program.h"
#include "platform/os.h"

namespace orvella {

// Drives with fewer sectors than this cannot be chosen.
inline constexpr std::int64_t kSmallestChoosableLba = 65535;

// The cells of one DriveList row: BUS, MODEL, FIRMWARE, SERIAL NUMBER, LBA,
// CAPACITY, and the DEVICE PATH by which the system names the drive (the
// drive numbers alone would not tell one disk from another).
using DriveRow = std::array<std::u16string, 7>;

// One line of DriveList: the drive number that every later screen shows as
// [n] first, the catalogue's cells, then what the user must know before
// choosing (system disk, mounted, read-only, removable, too small). A
// drive too small to be chosen is shown greyed and cannot be selected.
struct DriveListLine {
  std::u16string number;
  DriveRow row;
  std::u16string state;
  bool choosable = true;
};

struct DriveListColumn {
  const char16_t* caption;
  int width;  // pixels at 96 dots per inch
};

// The columns of DriveList in order, the same in every desktop; the list
// scrolls sideways where they do not fit.
inline constexpr std::array<DriveListColumn, 9> kDriveListColumns{{{u"DRIVE", 48},
                                                                 {u"BUS", 78},
                                                                 {u"MODEL", 170},
                                                                 {u"FIRMWARE", 90},
                                                                 {u"SERIAL NUMBER", 160},
                                                                 {u"LBA", 117},
                                                                 {u"CAPACITY", 100},
                                                                 {u"DEVICE PATH", 220},
                                                                 {u"STATE", 200}}};

// The cells of a line in column order.
std::array<std::u16string, kDriveListColumns.size()> DriveListCells(const DriveListLine& line);

// The cells of catalogue entry `index` as DriveList shows them.
DriveRow DriveListRow(Program& program, int index);

// The same cells as they are shown: what the drive reported about itself
// with its control characters made visible (core/display_text.h).
DriveRow ShownDriveListRow(Program& program, int index);

// Whether a drive holds the running system: a file system mounted at the
// root, /boot, /usr or /boot/efi, or the Windows system drive C:.
bool HoldsRunningSystem(const DriveNames& names);

// The drive's state in words, joined by ", ": "system disk", "removable",
// "read-only", "mounted", "too small"; "-" when none applies.
std::u16string DriveStateText(const DriveNames& names, bool removable, bool tooSmall);

// The whole line of catalogue entry `index`.
DriveListLine DriveListLineOf(Program& program, int index);

}  // namespace orvella
