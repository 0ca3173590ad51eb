// Message boxes and dialogs as QMessageBox: the task dialog with title,
// instruction and content and the standard buttons of its flags; the
// standard message dialog with the captions it is given.
#pragma once

#include <QWidget>
#include <functional>

#include "app/dialogs.h"

namespace orvella::qt {

class QtDialogs final : public Dialogs {
 public:
  // Resolves a dialog's owner to its window (nullptr for none).
  using OwnerWindow = std::function<QWidget*(WindowId)>;
  explicit QtDialogs(OwnerWindow ownerWindow) : ownerWindow_(std::move(ownerWindow)) {}

  void MessageBox(const std::u16string& text, const std::u16string& caption, MessageIcon icon) override;
  bool TaskDialogAvailable() override { return true; }
  int TaskDialog(const TaskDialogRequest& request) override;
  int MessageDialog(const MessageDialogRequest& request) override;

 private:
  OwnerWindow ownerWindow_;
};

}  // namespace orvella::qt
