// A label that acts as a link: it reports clicks, presses and releases with
// their button, and the mouse entering and leaving it.
#pragma once

#include <QLabel>

namespace orvella::qt {

class LinkLabel : public QLabel {
  Q_OBJECT

 public:
  LinkLabel(const QString& objectName, QWidget* parent);

 signals:
  void clicked();
  void pressed(Qt::MouseButton button);
  void released(Qt::MouseButton button);
  void entered();
  void left();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
};

}  // namespace orvella::qt
