// The main window TFmMain as Qt widgets: the header with the drive's title
// and the button that chooses another drive, the pages "Device details", "LOW-LEVEL FORMAT" and "S.M.A.R.T.", the
// notice link and the status bar. Events go to the window logic
// (app/main_window.h); the format page is driven by the format procedure.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QWidget>
#include <functional>

#include "app/main_view.h"
#include "app/main_window.h"
#include "format/format_page_view.h"
#include "format/run_figures.h"
#include "ui/qt/link_label.h"
#include "ui/qt/panel_status_bar.h"
#include "ui/qt/state_progress_bar.h"

namespace orvella::qt {

class MainWindow : public QWidget, public MainView, public FormatPageView {
 public:
  MainWindow();
  void Attach(TFmMain& logic);

  QPlainTextEdit* FormatLog() { return logBenchMark_; }
  QPlainTextEdit* DetailsPane() { return logDetails_; }
  QPlainTextEdit* SmartPane() { return logSmart_; }

  // MainView
  void SetCaption(const std::u16string& caption) override;
  void SetFont(const FontSpec& font) override;
  void ShowFirstPage() override;
  void SetDiskName(const std::u16string& text) override;
  void SetStatusPanel(int panel, const std::u16string& text) override;
  void SetCopyright(const std::u16string& text) override;
  void SetCopyrightColour(Rgb colour) override;
  bool QuickWipeChecked() override;
  bool VerifyChecked() override;
  void SetSaveReportEnabled(bool enabled) override;
  void SetChooseAnotherEnabled(bool enabled) override;
  void ClearDrivePages() override;
  std::u16string AskReportPath(const std::u16string& suggestedName) override;
  std::u16string WriteCertificate(const Json& record, const std::u16string& pdfPath) override;

  // FormatPageView
  void SetProgressPosition(int position) override;
  void SetProgressState(ProgressState state) override;
  void ShowBytesDone(std::int64_t done, std::int64_t total) override;
  void SetCaption(FormatLabel label, const std::u16string& caption) override;
  std::u16string Caption(FormatLabel label) override;
  void SetEnabled(FormatControl control, bool enabled) override;
  void FocusStop() override;
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
  QWidget* BuildSmartPage();
  QWidget* BuildBottomStrip();
  QLabel* ProgressLabel(FormatLabel label);
  QWidget* Control(FormatControl control);
  void ConnectEvents();
  void DescribeControls();
  void EndRunFigures();

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
  QString baseTitle_;  // the caption; a run shows its percentage in front of it
  RunFigures runFigures_;
  QCheckBox* cbQuickWipe_;
  QCheckBox* cbVerify_;
  QPushButton* btRunBenchmarks_;
  QPushButton* btStop_;
  QPushButton* btSaveReport_;
  QPlainTextEdit* logSmart_;
  QPushButton* btGetSmart_;
  LinkLabel* lbCopyright_;
  PanelStatusBar* statusBar_;
};

}  // namespace orvella::qt
