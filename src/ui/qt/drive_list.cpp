#include "ui/qt/drive_list.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

#include "app/choose_view.h"
#include "app/desktop.h"

namespace orvella::qt {
namespace {

// The virtual key codes the window logic knows; letters and digits share
// their codes with Qt's.
int VirtualKeyOf(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Escape: return kVirtualKeyEscape;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    default: return (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_Z) ? qtKey : 0;
  }
}

}  // namespace

DriveList::DriveList(QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QStringLiteral("DriveList"));
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setSortingEnabled(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setAllColumnsShowFocus(true);
  QStringList captions;
  for (const DriveListColumn& column : kDriveListColumns) captions << QString::fromUtf16(column.caption);
  setHeaderLabels(captions);
  header()->setSectionsMovable(false);
  header()->setStretchLastSection(true);
  for (int i = 0; i < static_cast<int>(kDriveListColumns.size()); ++i)
    setColumnWidth(i, kDriveListColumns[static_cast<std::size_t>(i)].width);
}

// A drive too small to be chosen is greyed and cannot be selected; the
// device path column grows to show the longest path whole.
void DriveList::AppendLine(const DriveListLine& line) {
  QStringList cells;
  for (const std::u16string& cell : DriveListCells(line)) cells << QString::fromStdU16String(cell);
  auto* item = new QTreeWidgetItem(cells);
  if (!line.choosable) {
    item->setFlags(item->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEnabled));
    item->setToolTip(0, QStringLiteral("This drive is smaller than 65535 sectors and cannot be chosen."));
  }
  addTopLevelItem(item);
  const int pathColumn = static_cast<int>(kDriveListColumns.size()) - 2;
  setColumnWidth(pathColumn, std::max(columnWidth(pathColumn), sizeHintForColumn(pathColumn) + 12));
}

// The explorer look: flat rows with a faint hover tint of the theme's
// highlight, and the selection in the highlight itself, so that the row
// under the mouse is never taken for the chosen one in a light or a dark
// theme; rows that cannot be chosen in the theme's disabled text colour.
void DriveList::SetWindowTheme(const std::u16string& subAppName) {
  explorerLook_ = subAppName == u"explorer";
  if (explorerLook_) ApplyExplorerLook();
}

// The sheet holds colours of the palette: a new palette (a dark theme
// switched on while the window lives) draws it anew.
void DriveList::changeEvent(QEvent* event) {
  QTreeWidget::changeEvent(event);
  if (explorerLook_ && event->type() == QEvent::PaletteChange) ApplyExplorerLook();
}

void DriveList::ApplyExplorerLook() {
  const QColor highlight = palette().color(QPalette::Highlight);
  // Halfway between text and background: grey in any theme, also one
  // whose disabled colours equal its normal ones.
  const QColor text = palette().color(QPalette::Text);
  const QColor base = palette().color(QPalette::Base);
  const QColor disabled((text.red() + base.red()) / 2, (text.green() + base.green()) / 2,
                        (text.blue() + base.blue()) / 2);
  const QString sheet = QStringLiteral("QTreeView::item:hover { background: rgba(%1, %2, %3, 45); }"
                                       "QTreeView::item:selected { background: palette(highlight); "
                                       "color: palette(highlighted-text); }"
                                       "QTreeView::item:disabled { color: %4; }")
                            .arg(highlight.red())
                            .arg(highlight.green())
                            .arg(highlight.blue())
                            .arg(disabled.name());
  if (sheet != styleSheet()) setStyleSheet(sheet);
}

void DriveList::mousePressEvent(QMouseEvent* event) {
  QTreeWidget::mousePressEvent(event);
  // Empty space, or a drive that cannot be chosen, leaves no row selected,
  // so that a double click there cannot act on a row chosen before.
  const QTreeWidgetItem* item = itemAt(event->position().toPoint());
  if (item == nullptr || !(item->flags() & Qt::ItemIsSelectable)) clearSelection();
}

void DriveList::mouseReleaseEvent(QMouseEvent* event) {
  QTreeWidget::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton) emit clickedAnywhere();
}

void DriveList::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeWidget::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton) emit doubleClickedAnywhere();
}

void DriveList::keyPressEvent(QKeyEvent* event) {
  emit keyDown(VirtualKeyOf(event->key()));
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

}  // namespace orvella::qt
