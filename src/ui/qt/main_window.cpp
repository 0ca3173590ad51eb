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
#include <QStandardItemModel>
#include <QTextBlock>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <tuple>

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

QPushButton* Button(const QString& name, const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setMinimumSize(135, 26);
  return button;
}

}  // namespace

MainWindow::MainWindow(Clock& clock)
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
      cbVerify_(new QComboBox(this)),
      cbMethod_(new QComboBox(this)),
      edOperator_(new QLineEdit(this)),
      edOrganisation_(new QLineEdit(this)),
      edAssetTag_(new QLineEdit(this)),
      cbSystemDisk_(new QCheckBox(this)),
      lbChoiceNote_(new QLabel(this)),
      btRunBenchmarks_(Button(QStringLiteral("btRunBenchmarks"), QStringLiteral("&FORMAT THIS DEVICE"), this)),
      btStop_(Button(QStringLiteral("btStop"), QStringLiteral("S&top"), this)),
      btSaveReport_(Button(QStringLiteral("btSaveReport"), QStringLiteral("Save &erase report…"), this)),
      logSmart_(Memo(QStringLiteral("Log_Smart"), this)),
      btGetSmart_(Button(QStringLiteral("btGetSmart"), QStringLiteral("&Get SMART Data"), this)),
      lbCopyright_(new LinkLabel(QStringLiteral("lbCopyright"), this)),
      statusBar_(new PanelStatusBar({{250, Qt::AlignLeft, {}}, {450, Qt::AlignLeft, {}}, {50, Qt::AlignRight, {}}},
                                    this)),
      formatPage_(*this, clock) {
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
  pages_->setDocumentMode(true);  // no frame: the room goes to the pages
  pages_->addTab(BuildDetailsPage(), QStringLiteral("Device &details"));
  pages_->addTab(BuildFormatPage(), QStringLiteral("&LOW-LEVEL FORMAT"));
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
  // A long title is cut at the button rather than running under it.
  lbDiskName_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  row->addWidget(lbDiskName_, 1);
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

// Laid out tight enough to fit a 1366x768 screen at a scale of 2 without a
// scroll bar: the format log gives up height first.
QWidget* MainWindow::BuildFormatPage() {
  auto* page = new QWidget(this);
  auto* group = new QGroupBox(QStringLiteral("Current task progress"), page);
  pbCurrentTask_->setFixedHeight(22);
  auto* figures = new QHBoxLayout;
  figures->addWidget(lbCurrentPercent_);
  figures->addStretch(1);
  figures->addWidget(lbCurrentPosition_);
  figures->addStretch(1);
  figures->addWidget(lbSpeed_);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->setContentsMargins(8, 0, 8, 2);
  groupLayout->setSpacing(0);
  groupLayout->addWidget(pbCurrentTask_);
  groupLayout->addLayout(figures);
  lbRunFigures_->setObjectName(QStringLiteral("lbRunFigures"));
  groupLayout->addWidget(lbRunFigures_);

  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  logBenchMark_->setMinimumHeight(26);
  layout->addWidget(logBenchMark_, 1);
  layout->addWidget(group);
  layout->addLayout(BuildChoices());
  return page;
}

// The choices on the left, the buttons on the right, the record's fields
// in a row below, and under them the tick box of the system disk and the
// note that says what the choices will do.
QLayout* MainWindow::BuildChoices() {
  cbQuickWipe_->setObjectName(QStringLiteral("cbQuickWipe"));
  cbVerify_->setObjectName(QStringLiteral("cbVerify"));
  cbVerify_->addItem(QStringLiteral("a sample (NIST SP 800-88)"), static_cast<int>(VerifyMethod::Sample));
  cbVerify_->addItem(QStringLiteral("every byte"), static_cast<int>(VerifyMethod::Full));
  cbVerify_->addItem(QStringLiteral("off"), static_cast<int>(VerifyMethod::Off));
  cbMethod_->setObjectName(QStringLiteral("cbMethod"));
  cbMethod_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cbMethod_->setMinimumContentsLength(12);
  cbSystemDisk_->setObjectName(QStringLiteral("cbSystemDisk"));
  cbSystemDisk_->setVisible(false);
  lbChoiceNote_->setObjectName(QStringLiteral("lbChoiceNote"));
  lbChoiceNote_->setWordWrap(true);
  btRunBenchmarks_->setDefault(true);
  btStop_->setEnabled(false);
  btSaveReport_->setEnabled(false);
  for (QPushButton* button : {btSaveReport_, btRunBenchmarks_, btStop_}) button->setMinimumSize(160, 0);

  const auto labelFor = [this](const QString& caption, QWidget* buddy) {
    auto* label = new QLabel(caption, this);
    label->setBuddy(buddy);
    return label;
  };
  // Left the choices, right the buttons, one row each.
  auto* choices = new QGridLayout;
  choices->setVerticalSpacing(2);
  choices->addWidget(cbQuickWipe_, 0, 0, 1, 4);
  choices->addWidget(labelFor(QStringLiteral("&Verify:"), cbVerify_), 1, 0);
  choices->addWidget(cbVerify_, 1, 1);
  choices->addWidget(labelFor(QStringLiteral("&Method:"), cbMethod_), 1, 2);
  choices->addWidget(cbMethod_, 1, 3);
  choices->setColumnStretch(3, 1);
  auto* fields = new QHBoxLayout;
  for (const auto& [caption, edit, name] : {std::tuple{"O&perator:", edOperator_, "edOperator"},
                                            std::tuple{"&Organisation:", edOrganisation_, "edOrganisation"},
                                            std::tuple{"Asset ta&g:", edAssetTag_, "edAssetTag"}}) {
    edit->setObjectName(QLatin1String(name));
    edit->setMinimumWidth(40);
    fields->addWidget(labelFor(QString::fromUtf8(caption), edit));
    fields->addWidget(edit, 1);
  }
  choices->addLayout(fields, 2, 0, 1, 4);
  choices->addWidget(btSaveReport_, 0, 4);
  choices->addWidget(btRunBenchmarks_, 1, 4);
  choices->addWidget(btStop_, 2, 4);
  auto* column = new QVBoxLayout;
  column->setSpacing(2);
  column->addLayout(choices);
  column->addWidget(cbSystemDisk_);
  column->addWidget(lbChoiceNote_);
  return column;
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
  describe(cbVerify_, "Verify", "How much of the drive is read back after writing to check it holds zeros");
  describe(cbMethod_, "Erase method", "The zero overwrite, or one of the drive's own erases");
  describe(edOperator_, "Operator", "Who runs the erase, for its record");
  describe(edOrganisation_, "Organisation", "For whom the erase is done, for its record");
  describe(edAssetTag_, "Asset tag", "The organisation's tag of the drive, for its record");
  describe(cbSystemDisk_, "Erase the running system's disk", "Tick to allow erasing the disk the system runs from");
  describe(lbChoiceNote_, "What the choices do", "");
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
  connect(cbQuickWipe_, &QCheckBox::clicked, this, [this] { logic_->cbQuickWipeClick(); });
  connect(cbMethod_, &QComboBox::activated, this, [this] { logic_->cbMethodChange(); });
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

void MainWindow::SetCaption(const std::u16string& caption) { formatPage_.SetTitle(caption); }

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
  formatPage_.Clear();
}

std::u16string MainWindow::AskReportPath(const std::u16string& suggestedName) {
  return FromQt(QFileDialog::getSaveFileName(this, QStringLiteral("Save erase report"), ToQt(suggestedName),
                                             QStringLiteral("Erase record (*.json)")));
}

std::u16string MainWindow::WriteCertificate(const Json& record, const std::u16string& pdfPath) {
  return certificate::WriteCertificateFile(record, pdfPath);
}

void MainWindow::SetBarPosition(int position) { pbCurrentTask_->setValue(position); }

void MainWindow::SetBarState(ProgressState state) { pbCurrentTask_->SetState(state); }

void MainWindow::SetRunFiguresText(const std::u16string& text) { lbRunFigures_->setText(ToQt(text)); }

void MainWindow::SetWindowTitle(const std::u16string& title) { setWindowTitle(ToQt(title)); }

void MainWindow::AskForAttention() { QApplication::alert(this); }

char16_t MainWindow::DecimalSeparator() { return QLocale().decimalPoint().at(0).unicode(); }

QLabel* MainWindow::ProgressLabel(FormatLabel label) {
  switch (label) {
    case FormatLabel::CurrentPercent: return lbCurrentPercent_;
    case FormatLabel::CurrentPosition: return lbCurrentPosition_;
    case FormatLabel::Speed: return lbSpeed_;
  }
  return lbCurrentPercent_;
}

void MainWindow::SetLabelText(FormatLabel label, const std::u16string& text) { ProgressLabel(label)->setText(ToQt(text)); }

std::u16string MainWindow::LabelText(FormatLabel label) { return FromQt(ProgressLabel(label)->text()); }

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

void MainWindow::SetControlEnabled(FormatControl control, bool enabled) { Control(control)->setEnabled(enabled); }

void MainWindow::SetChecks(bool quickWipe, VerifyMethod verify) {
  cbQuickWipe_->setChecked(quickWipe);
  SetVerifyChoice(verify);
}

bool MainWindow::QuickWipeChecked() { return cbQuickWipe_->isChecked(); }

VerifyMethod MainWindow::VerifyChoice() { return static_cast<VerifyMethod>(cbVerify_->currentData().toInt()); }

void MainWindow::SetVerifyChoice(VerifyMethod method) {
  cbVerify_->setCurrentIndex(cbVerify_->findData(static_cast<int>(method)));
}

EraseMethod MainWindow::MethodChoice() {
  const QVariant chosen = cbMethod_->currentData();
  return chosen.isValid() ? static_cast<EraseMethod>(chosen.toInt()) : EraseMethod::Zeros;
}

// A method the drive does not offer stays in the list, greyed out, with
// its reason in the entry and in its tool tip.
void MainWindow::ShowMethods(const std::vector<MethodLine>& lines, EraseMethod chosen) {
  cbMethod_->clear();
  auto* model = qobject_cast<QStandardItemModel*>(cbMethod_->model());
  for (const MethodLine& line : lines) {
    cbMethod_->addItem(ToQt(line.text), static_cast<int>(line.method));
    const int row = cbMethod_->count() - 1;
    cbMethod_->setItemData(row, ToQt(line.available ? line.text : line.reason), Qt::ToolTipRole);
    if (!line.available && model != nullptr) model->item(row)->setEnabled(false);
  }
  cbMethod_->setCurrentIndex(std::max(0, cbMethod_->findData(static_cast<int>(chosen))));
  cbMethod_->setToolTip(cbMethod_->currentText());
}

void MainWindow::SetOverwriteChoicesEnabled(bool enabled) {
  cbQuickWipe_->setEnabled(enabled);
  cbVerify_->setEnabled(enabled);
}

void MainWindow::SetRunChoicesEnabled(bool enabled) {
  for (QWidget* control : std::initializer_list<QWidget*>{cbMethod_, edOperator_, edOrganisation_, edAssetTag_,
                                                          cbSystemDisk_})
    control->setEnabled(enabled);
}

void MainWindow::ShowChoiceNote(const std::u16string& note) {
  lbChoiceNote_->setText(ToQt(note));
  lbChoiceNote_->setVisible(!note.empty());
  cbMethod_->setToolTip(cbMethod_->currentText());
}

RecordFields MainWindow::RecordFieldsTyped() {
  return {FromQt(edOperator_->text()), FromQt(edOrganisation_->text()), FromQt(edAssetTag_->text())};
}

void MainWindow::ShowRecordFields(const RecordFields& fields) {
  edOperator_->setText(ToQt(fields.operatorName));
  edOrganisation_->setText(ToQt(fields.organisation));
  edAssetTag_->setText(ToQt(fields.assetTag));
}

void MainWindow::ShowSystemDiskTick(const std::u16string& text) {
  cbSystemDisk_->setText(ToQt(text));
  cbSystemDisk_->setToolTip(ToQt(text));
  if (text.empty()) cbSystemDisk_->setChecked(false);
  cbSystemDisk_->setVisible(!text.empty());
}

bool MainWindow::SystemDiskTicked() { return !cbSystemDisk_->text().isEmpty() && cbSystemDisk_->isChecked(); }

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
