// The controls of the selection window TFmChoose as its logic drives them.
#pragma once

#include <array>
#include <string>

#include "app/desktop.h"
#include "app/vista_funcs.h"
#include "reports/drive_list.h"

namespace orvella {

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
