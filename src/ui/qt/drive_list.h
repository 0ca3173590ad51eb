// DriveList: a report-style list with whole-row single selection, read-only
// and unsorted, that reports clicks, double clicks and keys as the window
// logic wants them: a click on empty space clears the selection, and Escape
// goes to the logic instead of closing the dialog.
#pragma once

#include <QTreeWidget>

#include "app/choose_view.h"
#include "app/vista_funcs.h"

namespace orvella::qt {

class DriveList : public QTreeWidget, public ThemableWindow {
  Q_OBJECT

 public:
  explicit DriveList(QWidget* parent);
  void SetWindowTheme(const std::u16string& subAppName) override;
  void AppendLine(const DriveListLine& line);

 signals:
  void clickedAnywhere();
  void doubleClickedAnywhere();
  void keyDown(int virtualKey);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void ApplyExplorerLook();

  bool explorerLook_ = false;
};

}  // namespace orvella::qt
