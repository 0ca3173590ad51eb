#include "ui/qt/link_label.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace orvella::qt {

LinkLabel::LinkLabel(const QString& objectName, QWidget* parent) : QLabel(parent) {
  setObjectName(objectName);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::StrongFocus);
}

// A link reached with Tab opens with Enter or Space, as a button would.
void LinkLabel::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
    emit clicked();
    event->accept();
    return;
  }
  QLabel::keyPressEvent(event);
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
