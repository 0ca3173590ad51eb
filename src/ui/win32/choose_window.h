// The selection window TFmChoose as a native window: the white header with
// the program name and the web address, the drive list with its device
// path column, the disk-management link, the Continue button (the default
// one), the note of the drives that could not be opened, and the status
// bar. Events go to the window logic (app/drive_choose.h).
#pragma once

#include <functional>

#include "app/choose_view.h"
#include "app/drive_choose.h"
#include "ui/win32/controls.h"
#include "ui/win32/font_handle.h"
#include "ui/win32/link_label.h"
#include "ui/win32/top_window.h"

namespace orvella::win32ui {

class ChooseWindow final : public TopWindow, public ChooseView {
 public:
  // `ended` tells the modal show that the program has ended.
  explicit ChooseWindow(std::function<bool()> ended);
  void Attach(TFmChoose& logic);

  void SetCaption(const std::u16string& caption) override;
  void SetFont(const FontSpec& font) override;
  void SetProgramName(const std::u16string& text) override;
  void SetCopyright(const std::u16string& text) override;
  void SetLinkColour(ChooseLink link, Rgb colour) override;
  void SetSimpleStatusText(const std::u16string& text) override;
  ThemableWindow& DriveListWindow() override { return listTheme_; }
  void ClearRows() override;
  void AppendRow(const DriveListLine& line) override;
  int RowCount() override;
  int SelectedRow() override;
  void SelectRow(int row) override;
  void FocusDriveList() override;
  void SetContinueEnabled(bool enabled) override;
  void SetUnopenedNote(const std::u16string& text) override;
  void ShowAdministratorOffer(bool shown) override;
  void ShowModal() override;
  void Close() override;

  bool PreTranslate(tagMSG& message) override;

  // For tests and pictures: the controls by their names.
  WindowHandle DriveList() const { return driveList_; }
  WindowHandle ContinueButton() const { return btContinue_; }
  WindowHandle UnopenedNote() const { return lbUnopened_; }
  WindowHandle AdministratorButton() const { return btStartAsAdministrator_; }
  Rgb LinkColour(ChooseLink link) const;
  const StatusBar& Status() const { return statusBar_; }
  const ThemedControl& ListTheme() const { return listTheme_; }

 private:
  void CreateControls();
  void AddColumns();
  void Layout(int width, int height) override;
  int LayoutBottom(int width, int bottom);
  void DpiChanged() override;
  int DefaultButton() override;
  bool OnMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t& result) override;
  bool OnCommand(int id, int code);
  bool OnNotify(const void* header);
  bool ListNotifyResult(const void* header, std::intptr_t& result);
  void WidenPathColumn();
  std::intptr_t ColourOf(void* dc, WindowHandle control);

  std::function<bool()> ended_;
  TFmChoose* logic_ = nullptr;
  FontSpec font_{u"Tahoma", 9};
  FontHandle windowFont_;
  FontHandle underlinedFont_;
  WindowHandle lbProgramName_ = nullptr;
  LinkLabel label1_;
  WindowHandle separator_ = nullptr;
  WindowHandle driveList_ = nullptr;
  ThemedControl listTheme_;
  LinkLabel lbDiskManagement_;
  WindowHandle label2_ = nullptr;
  WindowHandle btContinue_ = nullptr;
  WindowHandle lbCopyright_ = nullptr;
  Rgb copyrightColour_;
  WindowHandle lbUnopened_ = nullptr;
  WindowHandle btStartAsAdministrator_ = nullptr;
  StatusBar statusBar_;
};

}  // namespace orvella::win32ui
