// The selection window TFmChoose as Qt widgets: the header with the program
// name and the web address, the drive list, the disk-management link, the
// Continue button, the notice and the status bar. Events go to the window
// logic (app/drive_choose.h).
#pragma once

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

#include "app/choose_view.h"
#include "app/drive_choose.h"
#include "ui/qt/drive_list.h"
#include "ui/qt/link_label.h"
#include "ui/qt/panel_status_bar.h"

namespace orvella::qt {

class ChooseDialog : public QDialog, public ChooseView {
 public:
  ChooseDialog();
  void Attach(TFmChoose& logic);

  void SetCaption(const std::u16string& caption) override;
  void SetFont(const FontSpec& font) override;
  void SetProgramName(const std::u16string& text) override;
  void SetCopyright(const std::u16string& text) override;
  void SetLinkColour(ChooseLink link, Rgb colour) override;
  void SetSimpleStatusText(const std::u16string& text) override;
  ThemableWindow& DriveListWindow() override { return *driveList_; }
  void AppendRow(const DriveListLine& line) override;
  void ClearRows() override;
  int RowCount() override;
  int SelectedRow() override;
  void SelectRow(int row) override;
  void FocusDriveList() override;
  void SetContinueEnabled(bool enabled) override;
  void SetUnopenedNote(const std::u16string& text) override;
  void ShowAdministratorOffer(bool shown) override;
  void ShowModal() override;
  void Close() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QWidget* BuildHeader();
  QWidget* BuildBottom();
  QHBoxLayout* BuildUnopenedRow();
  void ConnectEvents();

  TFmChoose* logic_ = nullptr;
  QLabel* lbProgramName_;
  LinkLabel* label1_;
  DriveList* driveList_;
  LinkLabel* lbDiskManagement_;
  QLabel* label2_;
  QPushButton* btContinue_;
  QLabel* lbCopyright_;
  QLabel* lbUnopened_;
  QPushButton* btStartAsAdministrator_;
  PanelStatusBar* statusBar_;
};

}  // namespace orvella::qt
