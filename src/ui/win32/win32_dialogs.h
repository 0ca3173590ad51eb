// Message boxes and dialogs of the desktop: MessageBoxW; the task dialog of
// common controls 6, TaskDialogIndirect looked up by name in comctl32 (so
// that the program still starts where there is none); the message dialog
// with captions of its own as a task dialog with custom buttons.
#pragma once

#include <functional>

#include "app/dialogs.h"
#include "ui/win32/top_window.h"

namespace orvella::win32ui {

class Win32Dialogs final : public Dialogs {
 public:
  // Resolves a dialog's owner to its window (nullptr for none).
  using OwnerWindow = std::function<WindowHandle(WindowId)>;
  explicit Win32Dialogs(OwnerWindow ownerWindow) : ownerWindow_(std::move(ownerWindow)) {}

  void MessageBox(const std::u16string& text, const std::u16string& caption, MessageIcon icon) override;
  bool TaskDialogAvailable() override;
  int TaskDialog(const TaskDialogRequest& request) override;
  int MessageDialog(const MessageDialogRequest& request) override;

 private:
  OwnerWindow ownerWindow_;
};

// The message box flags that stand for a set of buttons, found by their
// results (OK; OK, Cancel; Yes, No; Yes, No, Cancel; Retry, Cancel); 0 for
// any other set.
unsigned MessageBoxButtonsOf(const std::vector<DialogButton>& buttons);

}  // namespace orvella::win32ui
