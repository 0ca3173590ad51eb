// The debug window TFmDebug: one editable memo, Memo1, that receives the
// debug log and starts with the line "Debug window".
#pragma once

#include <QDialog>
#include <QPlainTextEdit>

#include "app/main_view.h"

namespace orvella::qt {

class DebugDialog : public QDialog, public DebugView {
 public:
  DebugDialog();
  QPlainTextEdit* Memo() { return memo1_; }

  void ShowModeless() override;
  void Close() override;
  void ShowModal() override;

 private:
  QPlainTextEdit* memo1_;
};

}  // namespace orvella::qt
