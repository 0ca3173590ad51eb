#include "ui/qt/drive_list.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <array>

#include "app/desktop.h"

namespace orvella::qt {
namespace {

struct Column {
  const char* caption;
  int width;  // 0: fills the rest
};

// The six columns of the catalogue, then the device path; the list scrolls
// sideways where they do not fit and downwards where the drives do not.
constexpr std::array<Column, 7> kColumns{{{"BUS", 78},
                                          {"MODEL", 170},
                                          {"FIRMWARE", 90},
                                          {"SERIAL NUMBER", 160},
                                          {"LBA", 117},
                                          {"CAPACITY", 100},
                                          {"DEVICE PATH", 0}}};

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
  for (const Column& column : kColumns) captions << QLatin1String(column.caption);
  setHeaderLabels(captions);
  header()->setSectionsMovable(false);
  header()->setStretchLastSection(true);
  for (int i = 0; i < static_cast<int>(kColumns.size()); ++i) {
    if (kColumns[static_cast<std::size_t>(i)].width > 0) setColumnWidth(i, kColumns[static_cast<std::size_t>(i)].width);
  }
}

// The explorer look: flat rows with a soft hover and selection colour,
// both tints of the theme's highlight so that dark themes stay readable.
void DriveList::SetWindowTheme(const std::u16string& subAppName) {
  if (subAppName != u"explorer") return;
  const QColor highlight = palette().color(QPalette::Highlight);
  const auto tint = [&](int alpha) {
    return QStringLiteral("rgba(%1, %2, %3, %4)").arg(highlight.red()).arg(highlight.green()).arg(highlight.blue()).arg(alpha);
  };
  setStyleSheet(QStringLiteral("QTreeView::item:hover { background: %1; }"
                               "QTreeView::item:selected { background: %2; color: palette(text); }")
                    .arg(tint(40), tint(90)));
}

void DriveList::mousePressEvent(QMouseEvent* event) {
  QTreeWidget::mousePressEvent(event);
  if (itemAt(event->position().toPoint()) == nullptr) clearSelection();
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
