#include "ui/qt/link_label.h"

#include <QMouseEvent>

namespace orvella::qt {

LinkLabel::LinkLabel(const QString& objectName, QWidget* parent) : QLabel(parent) {
  setObjectName(objectName);
  setCursor(Qt::PointingHandCursor);
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
  emit pressed(event->button());
  event->accept();
}

// A click is a left-button release over the label; it comes before the
// release itself.
void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
  emit released(event->button());
  event->accept();
}

void LinkLabel::enterEvent(QEnterEvent* event) {
  emit entered();
  QLabel::enterEvent(event);
}

void LinkLabel::leaveEvent(QEvent* event) {
  emit left();
  QLabel::leaveEvent(event);
}

}  // namespace orvella::qt
