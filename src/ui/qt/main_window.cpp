#include "ui/qt/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLocale>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QShowEvent>
#include <QTextBlock>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "certificate/certificate_page.h"
#include "ui/qt/mouse_buttons.h"
#include "ui/qt/qt_text.h"

namespace orvella::qt {
namespace {

constexpr int kClientWidth = 768;
constexpr int kClientHeight = 499;
constexpr int kHeaderHeight = 32;
constexpr int kBottomStripHeight = 21;
constexpr int kMargin = 10;

QFont ReportFont() {
  QFont font(QStringLiteral("Courier New"), 9);
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  return font;
}

QPlainTextEdit* Memo(const QString& name, QWidget* parent) {
  auto* memo = new QPlainTextEdit(parent);
  memo->setObjectName(name);
  memo->setReadOnly(true);
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Long report lines scroll rather than being cut.
  memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  return memo;
}

// Scrolls a report pane so that its line `line` is the first one shown.
void ShowFromLine(QPlainTextEdit* pane, int line) {
  QTextCursor cursor(pane->document()->findBlockByNumber(line));
  pane->setTextCursor(cursor);
  pane->verticalScrollBar()->setValue(line);
}

QLabel* LargeLabel(const QString& name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setFont(QFont(QStringLiteral("Tahoma"), 16));
  return label;
}

// A page that scrolls instead of squeezing its controls over each other
// when the window is smaller than the page (a small screen at a large scale).
QWidget* Scrollable(QWidget* page) {
  auto* area = new QScrollArea;
  area->setWidgetResizable(true);
  area->setFrameShape(QFrame::NoFrame);
  area->setWidget(page);
  return area;
}

QPushButton* Button(const QString& name, const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setMinimumSize(135, 26);
  return button;
}

}  // namespace

MainWindow::MainWindow()
    : lbDiskName_(new QLabel(this)),
      btChooseAnother_(new QPushButton(QStringLiteral("Choose &another drive…"), this)),
      pages_(new QTabWidget(this)),
      logDetails_(Memo(QStringLiteral("Log_Details"), this)),
      logBenchMark_(Memo(QStringLiteral("Log_BenchMark"), this)),
      pbCurrentTask_(new StateProgressBar(QStringLiteral("pbCurrentTask"), this)),
      lbCurrentPercent_(LargeLabel(QStringLiteral("lbCurrentPercent"), this)),
      lbSpeed_(LargeLabel(QStringLiteral("lbSpeed"), this)),
      lbCurrentPosition_(LargeLabel(QStringLiteral("lbCurrentPosition"), this)),
      lbRunFigures_(new QLabel(this)),
      cbQuickWipe_(new QCheckBox(QStringLiteral("Perform &quick wipe (just remove partitions and MBR)"), this)),
      cbVerify_(new QCheckBox(QStringLiteral("&Verify (read the drive back after writing)"), this)),
      btRunBenchmarks_(Button(QStringLiteral("btRunBenchmarks"), QStringLiteral("&FORMAT THIS DEVICE"), this)),
      btStop_(Button(QStringLiteral("btStop"), QStringLiteral("S&top"), this)),
      btSaveReport_(Button(QStringLiteral("btSaveReport"), QStringLiteral("Save &erase report…"), this)),
      logSmart_(Memo(QStringLiteral("Log_Smart"), this)),
      btGetSmart_(Button(QStringLiteral("btGetSmart"), QStringLiteral("&Get SMART Data"), this)),
      lbCopyright_(new LinkLabel(QStringLiteral("lbCopyright"), this)),
      statusBar_(new PanelStatusBar({{250, Qt::AlignLeft, {}}, {450, Qt::AlignLeft, {}}, {50, Qt::AlignRight, {}}},
                                    this)) {
  setObjectName(QStringLiteral("TFmMain"));
  setFont(QFont(QStringLiteral("Tahoma"), 9));
  resize(kClientWidth, kClientHeight);
  // Small enough for a 1366x768 screen at a scale of 2.
  setMinimumSize(600, 330);
  CentreOnScreen(*this);

  lbDiskName_->setObjectName(QStringLiteral("lbDiskName"));
  QFont bold;
  bold.setBold(true);
  lbDiskName_->setFont(bold);
  pages_->setObjectName(QStringLiteral("pages"));
  pages_->addTab(BuildDetailsPage(), QStringLiteral("Device &details"));
  pages_->addTab(Scrollable(BuildFormatPage()), QStringLiteral("&LOW-LEVEL FORMAT"));
  pages_->addTab(BuildSmartPage(), QStringLiteral("&S.M.A.R.T."));
  DescribeControls();

  auto* pagesArea = new QVBoxLayout;
  pagesArea->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
  pagesArea->addWidget(pages_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(BuildHeader());
  layout->addLayout(pagesArea, 1);
  layout->addWidget(BuildBottomStrip());
  layout->addWidget(statusBar_);
}

QWidget* MainWindow::BuildHeader() {
  auto* header = new QWidget(this);
  header->setFixedHeight(kHeaderHeight);
  PaintAsBase(header);
  auto* row = new QHBoxLayout(header);
  row->setContentsMargins(kMargin, 0, kMargin, 0);
  row->addWidget(lbDiskName_);
  row->addStretch(1);
  // In the header, beside the drive it replaces, and so on every page.
  btChooseAnother_->setObjectName(QStringLiteral("btChooseAnother"));
  btChooseAnother_->setAutoDefault(false);
  btChooseAnother_->setEnabled(false);
  row->addWidget(btChooseAnother_);
  return header;
}

QWidget* MainWindow::BuildDetailsPage() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  logDetails_->setFont(ReportFont());
  layout->addWidget(logDetails_);
  return page;
}

QWidget* MainWindow::BuildFormatPage() {
  auto* page = new QWidget(this);
  auto* group = new QGroupBox(QStringLiteral("Current task progress"), page);
  pbCurrentTask_->setFixedHeight(22);
  auto* figures = new QHBoxLayout;
  figures->addWidget(lbCurrentPercent_);
  figures->addStretch(1);
  figures->addWidget(lbSpeed_);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addWidget(pbCurrentTask_);
  groupLayout->addLayout(figures);
  groupLayout->addWidget(lbCurrentPosition_);
  lbRunFigures_->setObjectName(QStringLiteral("lbRunFigures"));
  groupLayout->addWidget(lbRunFigures_);

  btRunBenchmarks_->setDefault(true);
  btRunBenchmarks_->setMinimumWidth(160);
  btStop_->setEnabled(false);
  btSaveReport_->setEnabled(false);
  // The choices stacked on the left, the buttons in two rows on the right:
  // in one row beside the choices they would not fit the window's width.
  auto* controls = new QGridLayout;
  controls->addWidget(cbQuickWipe_, 0, 0);
  controls->addWidget(cbVerify_, 1, 0);
  controls->setColumnStretch(1, 1);
  controls->addWidget(btSaveReport_, 0, 2, 1, 2, Qt::AlignRight);
  controls->addWidget(btRunBenchmarks_, 1, 2);
  controls->addWidget(btStop_, 1, 3);

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(logBenchMark_, 1);
  layout->addWidget(group);
  layout->addLayout(controls);
  cbQuickWipe_->setObjectName(QStringLiteral("cbQuickWipe"));
  cbVerify_->setObjectName(QStringLiteral("cbVerify"));
  cbVerify_->setChecked(true);
  return page;
}

QWidget* MainWindow::BuildSmartPage() {
  auto* page = new QWidget(this);
  logSmart_->setFont(ReportFont());
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addStretch(1);
  buttonRow->addWidget(btGetSmart_);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(logSmart_, 1);
  layout->addLayout(buttonRow);
  return page;
}

QWidget* MainWindow::BuildBottomStrip() {
  auto* strip = new QWidget(this);
  strip->setFixedHeight(kBottomStripHeight);
  QFont font(QStringLiteral("Tahoma"), 8);
  font.setBold(true);
  lbCopyright_->setFont(font);
  SetTextColour(lbCopyright_, LinkColour(lbCopyright_, kNoticeGrey));
  auto* row = new QHBoxLayout(strip);
  row->setContentsMargins(kMargin, 0, kMargin, 0);
  row->addWidget(lbCopyright_);
  row->addStretch(1);
  return strip;
}

// What screen readers say of each control.
void MainWindow::DescribeControls() {
  const auto describe = [](QWidget* control, const char* name, const char* description) {
    control->setAccessibleName(QString::fromUtf8(name));
    control->setAccessibleDescription(QString::fromUtf8(description));
  };
  describe(lbDiskName_, "Drive", "The drive this window works on");
  describe(btChooseAnother_, "Choose another drive", "Close this drive and choose another from the list of drives");
  describe(logDetails_, "Device details", "The drive's identification report");
  describe(logBenchMark_, "Format log", "What the erase did, line by line");
  describe(logSmart_, "S.M.A.R.T. report", "The drive's S.M.A.R.T. attribute table");
  describe(pbCurrentTask_, "Erase progress", "The part of the current pass that is done");
  describe(lbCurrentPercent_, "Percent complete", "");
  describe(lbCurrentPosition_, "Current sector", "");
  describe(lbSpeed_, "Speed", "");
  describe(lbRunFigures_, "Bytes done and time", "Bytes done of the total, time taken and time left");
  describe(cbQuickWipe_, "Quick wipe", "Zero only the first and last 10,240,000 bytes; the rest stays readable");
  describe(cbVerify_, "Verify", "Read the drive back after writing and check it holds zeros");
  describe(btRunBenchmarks_, "Format this device", "Erase the drive by writing zeros over it; asks first");
  describe(btStop_, "Stop", "Stop the erase after the block in progress");
  describe(btSaveReport_, "Save erase report", "Save the last run's record and its PDF certificate");
  describe(btGetSmart_, "Get SMART data", "Read the drive's S.M.A.R.T. attribute table");
  describe(lbCopyright_, "Maker's web site", "Opens the maker's web address");
  describe(statusBar_, "Status", "");
}

void MainWindow::Attach(TFmMain& logic) {
  logic_ = &logic;
  ConnectEvents();
}

void MainWindow::ConnectEvents() {
  connect(btRunBenchmarks_, &QPushButton::clicked, this, [this] { logic_->btRunBenchmarksClick(); });
  connect(btStop_, &QPushButton::clicked, this, [this] { logic_->btStopClick(); });
  connect(btSaveReport_, &QPushButton::clicked, this, [this] { logic_->btSaveReportClick(); });
  connect(btChooseAnother_, &QPushButton::clicked, this, [this] {
    logic_->btChooseAnotherClick();
    ShowFromLine(logDetails_, 0);
  });
  connect(btGetSmart_, &QPushButton::clicked, this, [this] {
    const int firstNewLine = logSmart_->document()->isEmpty() ? 0 : logSmart_->blockCount();
    logic_->btGetSmartClick();
    ShowFromLine(logSmart_, firstNewLine);
  });
  connect(lbCopyright_, &LinkLabel::clicked, this, [this] { logic_->lbCopyrightClick(); });
  connect(lbCopyright_, &LinkLabel::entered, this, [this] { logic_->lbCopyrightMouseEnter(); });
  connect(lbCopyright_, &LinkLabel::left, this, [this] { logic_->lbCopyrightMouseLeave(); });
  connect(lbCopyright_, &LinkLabel::pressed, this,
          [this](Qt::MouseButton b) { logic_->lbCopyrightMouseDown(ToMouseButton(b)); });
  connect(lbCopyright_, &LinkLabel::released, this,
          [this](Qt::MouseButton b) { logic_->lbCopyrightMouseUp(ToMouseButton(b)); });
}

void MainWindow::SetCaption(const std::u16string& caption) {
  baseTitle_ = ToQt(caption);
  setWindowTitle(baseTitle_);
}

void MainWindow::SetFont(const FontSpec& font) { setFont(ToQFont(font)); }

void MainWindow::ShowFirstPage() { pages_->setCurrentIndex(0); }

void MainWindow::SetDiskName(const std::u16string& text) { lbDiskName_->setText(ToQt(text)); }

void MainWindow::SetStatusPanel(int panel, const std::u16string& text) { statusBar_->SetPanelText(panel, ToQt(text)); }

void MainWindow::SetCopyright(const std::u16string& text) { lbCopyright_->setText(ToQt(text)); }

void MainWindow::SetCopyrightColour(Rgb colour) { SetTextColour(lbCopyright_, LinkColour(lbCopyright_, colour)); }

void MainWindow::SetSaveReportEnabled(bool enabled) { btSaveReport_->setEnabled(enabled); }

void MainWindow::SetChooseAnotherEnabled(bool enabled) { btChooseAnother_->setEnabled(enabled); }

void MainWindow::ClearDrivePages() {
  for (QPlainTextEdit* pane : {logDetails_, logBenchMark_, logSmart_}) pane->clear();
  pbCurrentTask_->setValue(0);
  pbCurrentTask_->SetState(ProgressState::Normal);
  for (QLabel* label : {lbCurrentPercent_, lbSpeed_, lbCurrentPosition_, lbRunFigures_}) label->clear();
  runFigures_ = RunFigures{};
  setWindowTitle(baseTitle_);
  cbQuickWipe_->setChecked(false);
  cbVerify_->setChecked(true);
}

std::u16string MainWindow::AskReportPath(const std::u16string& suggestedName) {
  return FromQt(QFileDialog::getSaveFileName(this, QStringLiteral("Save erase report"), ToQt(suggestedName),
                                             QStringLiteral("Erase record (*.json)")));
}

std::u16string MainWindow::WriteCertificate(const Json& record, const std::u16string& pdfPath) {
  QString problem;
  if (certificate::WriteCertificate(record, ToQt(pdfPath), problem)) return {};
  return FromQt(problem);
}

void MainWindow::SetProgressPosition(int position) { pbCurrentTask_->setValue(position); }

// The normal state marks the start of the write loop, any other its end.
void MainWindow::SetProgressState(ProgressState state) {
  pbCurrentTask_->SetState(state);
  if (state == ProgressState::Normal) {
    runFigures_.Start(RunFigures::Clock::now());
    lbRunFigures_->clear();
  } else if (runFigures_.Running()) {
    EndRunFigures();
  }
}

void MainWindow::ShowBytesDone(std::int64_t done, std::int64_t total) {
  const char16_t decimalPoint = QLocale().decimalPoint().at(0).unicode();
  lbRunFigures_->setText(ToQt(runFigures_.Progress(done, total, decimalPoint, RunFigures::Clock::now())));
  setWindowTitle(ToQt(ProgressTitle(done, total, FromQt(baseTitle_))));
}

// The title drops its percentage, the elapsed time stays, and the window
// asks for attention: a long run may have ended behind other windows.
void MainWindow::EndRunFigures() {
  setWindowTitle(baseTitle_);
  lbRunFigures_->setText(ToQt(runFigures_.End(RunFigures::Clock::now())));
  QApplication::alert(this);
}

QLabel* MainWindow::ProgressLabel(FormatLabel label) {
  switch (label) {
    case FormatLabel::CurrentPercent: return lbCurrentPercent_;
    case FormatLabel::CurrentPosition: return lbCurrentPosition_;
    case FormatLabel::Speed: return lbSpeed_;
  }
  return lbCurrentPercent_;
}

void MainWindow::SetCaption(FormatLabel label, const std::u16string& caption) {
  ProgressLabel(label)->setText(ToQt(caption));
}

std::u16string MainWindow::Caption(FormatLabel label) { return FromQt(ProgressLabel(label)->text()); }

QWidget* MainWindow::Control(FormatControl control) {
  switch (control) {
    case FormatControl::RunBenchmarks: return btRunBenchmarks_;
    case FormatControl::GetSmart: return btGetSmart_;
    case FormatControl::QuickWipe: return cbQuickWipe_;
    case FormatControl::Stop: return btStop_;
    case FormatControl::Verify: return cbVerify_;
  }
  return btStop_;
}

void MainWindow::SetEnabled(FormatControl control, bool enabled) { Control(control)->setEnabled(enabled); }

bool MainWindow::QuickWipeChecked() { return cbQuickWipe_->isChecked(); }

bool MainWindow::VerifyChecked() { return cbVerify_->isChecked(); }

void MainWindow::FocusStop() { btStop_->setFocus(); }

void MainWindow::ProcessPendingMessages() { QCoreApplication::processEvents(); }

void MainWindow::CloseWindow() { close(); }

// The device details report is written before the window first shows; it
// is read from its top.
void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous() || shown_) return;
  shown_ = true;
  ShowFromLine(logDetails_, 0);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (logic_ == nullptr || logic_->FormClose()) {
    event->accept();
  } else {
    event->ignore();
  }
}

// Enter presses the default button while its page is showing.
void MainWindow::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && btRunBenchmarks_->isVisible() && btRunBenchmarks_->isEnabled()) {
    btRunBenchmarks_->click();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace orvella::qt
