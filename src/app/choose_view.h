// The controls of the selection window TFmChoose as its logic drives them.
#pragma once

#include <array>
#include <string>

#include "app/desktop.h"
#include "app/vista_funcs.h"

namespace orvella {

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

// The labels that act as links.
enum class ChooseLink { WebAddress, Copyright, DiskManagement };

class ChooseView {
 public:
  virtual ~ChooseView() = default;

  virtual void SetCaption(const std::u16string& caption) = 0;
  virtual void SetFont(const FontSpec& font) = 0;
  virtual void SetProgramName(const std::u16string& text) = 0;  // lbProgramName
  virtual void SetCopyright(const std::u16string& text) = 0;    // lbCopyright
  virtual void SetLinkColour(ChooseLink link, Rgb colour) = 0;
  // Switches StatusBar to its single simple panel showing Text.
  virtual void SetSimpleStatusText(const std::u16string& text) = 0;

  // DriveList.
  virtual ThemableWindow& DriveListWindow() = 0;
  virtual void AppendRow(const DriveListLine& line) = 0;
  // Removes every row, so that the list can be filled again.
  virtual void ClearRows() = 0;
  virtual int RowCount() = 0;
  // The selected row, -1 when none is.
  virtual int SelectedRow() = 0;
  // Selects the row and makes it the focused one.
  virtual void SelectRow(int row) = 0;
  virtual void FocusDriveList() = 0;

  virtual void SetContinueEnabled(bool enabled) = 0;

  // The line below the list that tells of drives that could not be opened;
  // hidden while empty.
  virtual void SetUnopenedNote(const std::u16string& text) = 0;
  // Shows or hides the button that starts the program again with
  // administrator rights.
  virtual void ShowAdministratorOffer(bool shown) = 0;

  // Shows the window modally; returns once it has closed.
  virtual void ShowModal() = 0;
  virtual void Close() = 0;
};

}  // namespace orvella
