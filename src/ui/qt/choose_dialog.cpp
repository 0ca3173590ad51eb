#include "ui/qt/choose_dialog.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "core/program.h"
#include "ui/qt/mouse_buttons.h"
#include "ui/qt/qt_text.h"

namespace orvella::qt {
namespace {

constexpr int kClientWidth = 767;
constexpr int kClientHeight = 356;
constexpr int kHeaderHeight = 44;
constexpr int kMargin = 10;

QString UpperWebAddress() { return ToQt(kMakerWebAddress).toUpper(); }

}  // namespace

ChooseDialog::ChooseDialog()
    : lbProgramName_(new QLabel(this)),
      label1_(new LinkLabel(QStringLiteral("Label1"), this)),
      driveList_(new DriveList(this)),
      lbDiskManagement_(new LinkLabel(QStringLiteral("lbDiskManagement"), this)),
      label2_(new QLabel(QStringLiteral("Please select a device"), this)),
      btContinue_(new QPushButton(QStringLiteral("&Continue >>>"), this)),
      lbCopyright_(new QLabel(this)),
      lbUnopened_(new QLabel(this)),
      btStartAsAdministrator_(new QPushButton(QStringLiteral("Start again as &administrator"), this)),
      statusBar_(new PanelStatusBar({}, this)) {
  setObjectName(QStringLiteral("TFmChoose"));
  resize(kClientWidth, kClientHeight);
  setMinimumSize(560, 280);
  CentreOnScreen(*this);
  setFont(QFont(QStringLiteral("Tahoma"), 9));

  lbProgramName_->setObjectName(QStringLiteral("lbProgramName"));
  label1_->setText(UpperWebAddress());
  label1_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lbDiskManagement_->setText(QStringLiteral("Open Disk Management Console"));
  QFont underlined;
  underlined.setUnderline(true);
  lbDiskManagement_->setFont(underlined);
  label2_->setObjectName(QStringLiteral("Label2"));
  btContinue_->setObjectName(QStringLiteral("btContinue"));
  btContinue_->setMinimumSize(135, 26);
  btContinue_->setDefault(true);
  btContinue_->setEnabled(false);
  lbCopyright_->setObjectName(QStringLiteral("lbCopyright"));
  driveList_->setAccessibleName(QStringLiteral("Drives"));
  driveList_->setAccessibleDescription(QStringLiteral("The drives of this machine; choose the one to work on"));
  lbDiskManagement_->setAccessibleName(QStringLiteral("Open the disk management tool"));
  label1_->setAccessibleName(QStringLiteral("Maker's web site"));
  btContinue_->setAccessibleDescription(QStringLiteral("Open the chosen drive"));

  auto* separator = new QFrame(this);
  separator->setFrameShape(QFrame::HLine);
  separator->setFrameShadow(QFrame::Sunken);
  separator->setFixedHeight(2);

  auto* listArea = new QVBoxLayout;
  listArea->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
  listArea->addWidget(driveList_);
  listArea->addLayout(BuildUnopenedRow());

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(BuildHeader());
  layout->addWidget(separator);
  layout->addLayout(listArea, 1);
  layout->addWidget(BuildBottom());
  layout->addWidget(statusBar_);
}

QWidget* ChooseDialog::BuildHeader() {
  auto* header = new QWidget(this);
  header->setFixedHeight(kHeaderHeight);
  PaintAsBase(header);
  auto* row = new QHBoxLayout(header);
  row->setContentsMargins(kMargin, 0, kMargin, 0);
  row->addWidget(lbProgramName_);
  row->addStretch(1);
  row->addWidget(label1_);
  return header;
}

QWidget* ChooseDialog::BuildBottom() {
  auto* bottom = new QWidget(this);
  auto* grid = new QGridLayout(bottom);
  grid->setContentsMargins(kMargin, 0, kMargin, 8);
  grid->setVerticalSpacing(6);
  grid->addWidget(lbDiskManagement_, 0, 2, 1, 2, Qt::AlignRight);
  grid->addWidget(lbCopyright_, 1, 0, Qt::AlignLeft | Qt::AlignBottom);
  grid->setColumnStretch(1, 1);
  grid->addWidget(label2_, 1, 2, Qt::AlignRight | Qt::AlignVCenter);
  grid->addWidget(btContinue_, 1, 3);
  return bottom;
}

// Below the list, hidden until there is something to say: the drives that
// could not be opened, and the offer to start again with administrator rights.
QHBoxLayout* ChooseDialog::BuildUnopenedRow() {
  lbUnopened_->setObjectName(QStringLiteral("lbUnopened"));
  lbUnopened_->setWordWrap(true);
  lbUnopened_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  lbUnopened_->hide();
  btStartAsAdministrator_->setObjectName(QStringLiteral("btStartAsAdministrator"));
  btStartAsAdministrator_->setAutoDefault(false);
  btStartAsAdministrator_->hide();
  auto* row = new QHBoxLayout;
  row->setContentsMargins(0, 6, 0, 0);
  row->addWidget(lbUnopened_, 1);
  row->addWidget(btStartAsAdministrator_, 0, Qt::AlignVCenter);
  return row;
}

void ChooseDialog::Attach(TFmChoose& logic) {
  logic_ = &logic;
  ConnectEvents();
}

void ChooseDialog::ConnectEvents() {
  connect(driveList_, &DriveList::clickedAnywhere, this, [this] { logic_->DriveListClick(); });
  connect(driveList_, &DriveList::doubleClickedAnywhere, this, [this] { logic_->DriveListDblClick(); });
  connect(driveList_, &DriveList::keyDown, this, [this](int key) { logic_->DriveListKeyDown(key); });
  connect(btContinue_, &QPushButton::clicked, this, [this] { logic_->btContinueClick(); });
  connect(btStartAsAdministrator_, &QPushButton::clicked, this, [this] { logic_->btStartAsAdministratorClick(); });
  connect(lbDiskManagement_, &LinkLabel::clicked, this, [this] { logic_->lbDiskManagementClick(); });
  connect(label1_, &LinkLabel::clicked, this, [this] { logic_->Label1Click(); });
  connect(label1_, &LinkLabel::pressed, this, [this](Qt::MouseButton b) { logic_->Label1MouseDown(ToMouseButton(b)); });
  connect(label1_, &LinkLabel::released, this, [this](Qt::MouseButton b) { logic_->Label1MouseUp(ToMouseButton(b)); });
}

void ChooseDialog::SetCaption(const std::u16string& caption) { setWindowTitle(ToQt(caption)); }

void ChooseDialog::SetFont(const FontSpec& font) { setFont(ToQFont(font)); }

void ChooseDialog::SetProgramName(const std::u16string& text) { lbProgramName_->setText(ToQt(text)); }

void ChooseDialog::SetCopyright(const std::u16string& text) { lbCopyright_->setText(ToQt(text)); }

void ChooseDialog::SetLinkColour(ChooseLink link, Rgb colour) {
  switch (link) {
    case ChooseLink::WebAddress: SetTextColour(label1_, LinkColour(label1_, colour)); break;
    case ChooseLink::Copyright: SetTextColour(lbCopyright_, LinkColour(lbCopyright_, colour)); break;
    case ChooseLink::DiskManagement: SetTextColour(lbDiskManagement_, LinkColour(lbDiskManagement_, colour)); break;
  }
}

void ChooseDialog::SetSimpleStatusText(const std::u16string& text) { statusBar_->SetSimpleText(ToQt(text)); }

void ChooseDialog::AppendRow(const DriveListLine& line) { driveList_->AppendLine(line); }

void ChooseDialog::ClearRows() { driveList_->clear(); }

int ChooseDialog::RowCount() { return driveList_->topLevelItemCount(); }

int ChooseDialog::SelectedRow() {
  const QList<QTreeWidgetItem*> selected = driveList_->selectedItems();
  return selected.isEmpty() ? -1 : driveList_->indexOfTopLevelItem(selected.first());
}

void ChooseDialog::SelectRow(int row) {
  QTreeWidgetItem* item = driveList_->topLevelItem(row);
  if (item == nullptr) {
    driveList_->clearSelection();
    return;
  }
  driveList_->setCurrentItem(item);
  item->setSelected(true);
  driveList_->scrollToItem(item);  // the preselected last drive may lie below the visible rows
}

void ChooseDialog::FocusDriveList() { driveList_->setFocus(); }

void ChooseDialog::SetContinueEnabled(bool enabled) { btContinue_->setEnabled(enabled); }

void ChooseDialog::SetUnopenedNote(const std::u16string& text) {
  lbUnopened_->setText(ToQt(text));
  lbUnopened_->setVisible(!text.empty());
}

void ChooseDialog::ShowAdministratorOffer(bool shown) { btStartAsAdministrator_->setVisible(shown); }

void ChooseDialog::ShowModal() { exec(); }

void ChooseDialog::Close() { close(); }

void ChooseDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous() && logic_ != nullptr) logic_->FormShow();
}

void ChooseDialog::closeEvent(QCloseEvent* event) {
  if (logic_ != nullptr) logic_->FormClose();
  QDialog::closeEvent(event);
}

// There is no Cancel button: Escape outside the list does nothing.
void ChooseDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace orvella::qt
