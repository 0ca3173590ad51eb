// The main window TFmMain as Qt widgets: the header with the drive's title
// and the button that chooses another drive, the pages "Device details", "LOW-LEVEL FORMAT" and "S.M.A.R.T.", the
// notice link and the status bar. Events go to the window logic
// (app/main_window.h); the format page's behaviour is app/format_page.h, over
// this window's controls.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QWidget>
#include <functional>

#include "app/format_page.h"
#include "app/main_view.h"
#include "app/main_window.h"
#include "ui/qt/link_label.h"
#include "ui/qt/panel_status_bar.h"
#include "ui/qt/state_progress_bar.h"

namespace orvella::qt {

class MainWindow : public QWidget, public MainView, public FormatPageWidgets {
 public:
  // `clock` is the program's; the format page counts a run's time by it.
  explicit MainWindow(Clock& clock);
  void Attach(TFmMain& logic);

  QPlainTextEdit* FormatLog() { return logBenchMark_; }
  QPlainTextEdit* DetailsPane() { return logDetails_; }
  QPlainTextEdit* SmartPane() { return logSmart_; }
  // The "LOW-LEVEL FORMAT" page the format procedure drives.
  FormatPage& Page() { return formatPage_; }

  // MainView
  void SetCaption(const std::u16string& caption) override;
  void SetFont(const FontSpec& font) override;
  void ShowFirstPage() override;
  void SetDiskName(const std::u16string& text) override;
  void SetStatusPanel(int panel, const std::u16string& text) override;
  void SetCopyright(const std::u16string& text) override;
  void SetCopyrightColour(Rgb colour) override;
  bool QuickWipeChecked() override;
  VerifyMethod VerifyChoice() override;
  void SetVerifyChoice(VerifyMethod method) override;
  EraseMethod MethodChoice() override;
  void ShowMethods(const std::vector<MethodLine>& lines, EraseMethod chosen) override;
  void SetOverwriteChoicesEnabled(bool enabled) override;
  void SetRunChoicesEnabled(bool enabled) override;
  void ShowChoiceNote(const std::u16string& note) override;
  RecordFields RecordFieldsTyped() override;
  void ShowRecordFields(const RecordFields& fields) override;
  void ShowSystemDiskTick(const std::u16string& text) override;
  bool SystemDiskTicked() override;
  void SetSaveReportEnabled(bool enabled) override;
  void SetChooseAnotherEnabled(bool enabled) override;
  void ClearDrivePages() override;
  std::u16string AskReportPath(const std::u16string& suggestedName) override;
  std::u16string WriteCertificate(const Json& record, const std::u16string& pdfPath) override;

  // FormatPageWidgets
  void SetBarPosition(int position) override;
  void SetBarState(ProgressState state) override;
  void SetLabelText(FormatLabel label, const std::u16string& text) override;
  std::u16string LabelText(FormatLabel label) override;
  void SetRunFiguresText(const std::u16string& text) override;
  void SetWindowTitle(const std::u16string& title) override;
  void AskForAttention() override;
  void SetControlEnabled(FormatControl control, bool enabled) override;
  void FocusStop() override;
  void SetChecks(bool quickWipe, VerifyMethod verify) override;
  char16_t DecimalSeparator() override;
  void ProcessPendingMessages() override;
  void CloseWindow() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QWidget* BuildHeader();
  QWidget* BuildDetailsPage();
  QWidget* BuildFormatPage();
  QLayout* BuildChoices();
  QWidget* BuildSmartPage();
  QWidget* BuildBottomStrip();
  QLabel* ProgressLabel(FormatLabel label);
  QWidget* Control(FormatControl control);
  void ConnectEvents();
  void DescribeControls();

  TFmMain* logic_ = nullptr;
  bool shown_ = false;
  QLabel* lbDiskName_;
  QPushButton* btChooseAnother_;
  QTabWidget* pages_;
  QPlainTextEdit* logDetails_;
  QPlainTextEdit* logBenchMark_;
  StateProgressBar* pbCurrentTask_;
  QLabel* lbCurrentPercent_;
  QLabel* lbSpeed_;
  QLabel* lbCurrentPosition_;
  // Bytes done of the total, the time taken and the time left: the run in
  // terms a person can plan by.
  QLabel* lbRunFigures_;
  QCheckBox* cbQuickWipe_;
  QComboBox* cbVerify_;   // full, sample or off
  QComboBox* cbMethod_;   // the drive's erase methods
  QLineEdit* edOperator_;
  QLineEdit* edOrganisation_;
  QLineEdit* edAssetTag_;
  // Shown only for the disk of the running system.
  QCheckBox* cbSystemDisk_;
  // What the choices will do to the drive.
  QLabel* lbChoiceNote_;
  QPushButton* btRunBenchmarks_;
  QPushButton* btStop_;
  QPushButton* btSaveReport_;
  QPlainTextEdit* logSmart_;
  QPushButton* btGetSmart_;
  LinkLabel* lbCopyright_;
  PanelStatusBar* statusBar_;
  FormatPage formatPage_;
};

}  // namespace orvella::qt
