// Message boxes and dialogs, as a seam: the front end shows them modally,
// tests answer them without blocking.
#pragma once

#include <string>
#include <vector>


namespace orvella {

// The windows a dialog can belong to.
enum class WindowId { None, Main, Choose, Debug };

enum class MessageIcon { None, Information, Warning, Error, Confirmation };

// Button ids as the task dialog reports the pressed button.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
inline constexpr int IDCLOSE = 8;

// Common-button flags of the task dialog.
inline constexpr int TDCBF_OK_BUTTON = 1;
inline constexpr int TDCBF_YES_BUTTON = 2;
inline constexpr int TDCBF_NO_BUTTON = 4;
inline constexpr int TDCBF_CANCEL_BUTTON = 8;
inline constexpr int TDCBF_RETRY_BUTTON = 16;
inline constexpr int TDCBF_CLOSE_BUTTON = 32;

// Icon codes of the task dialog.
inline constexpr int kTaskIconInformation = 81;
inline constexpr int kTaskIconWarning = 84;
inline constexpr int kTaskIconError = 98;
inline constexpr int kTaskIconQuestion = 99;

// The standard icon an icon code stands for; None for any other code.
MessageIcon IconOfTaskCode(int code);

struct DialogButton {
  std::u16string caption;  // "&" marks the accelerator
  int result = 0;          // what pressing it returns
  bool operator==(const DialogButton&) const = default;
};

struct TaskDialogRequest {
  WindowId owner = WindowId::None;
  std::u16string title;
  std::u16string instruction;
  std::u16string content;
  int icon = 0;     // an icon code
  int buttons = 0;  // common-button flags
  int defaultButton = 0;  // the result of the button that Enter presses; 0: the dialog's own choice
  // Buttons named for what they do, shown before the common buttons; each
  // returns its result as a common button would.
  std::vector<DialogButton> customButtons{};
};

struct MessageDialogRequest {
  std::u16string text;
  MessageIcon icon = MessageIcon::None;
  std::u16string caption;
  std::vector<DialogButton> buttons;
  int defaultResult = 0;  // the result of the button that Enter presses; 0: the dialog's own choice
  // The window it is modal over and centred on; None: the window in front.
  WindowId owner = WindowId::None;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A modal message box with an OK button, owned by the program's window in
  // front (none before the first is shown).
  virtual void MessageBox(const std::u16string& text, const std::u16string& caption,
                          MessageIcon icon) = 0;
  // Whether the desktop offers task dialogs at all.
  virtual bool TaskDialogAvailable() = 0;
  // Shows a task dialog and returns the id of the pressed button, or 0 when
  // it could not be shown.
  virtual int TaskDialog(const TaskDialogRequest& request) = 0;
  // Shows the standard message dialog, centred on its owner (on the screen
  // without one), and returns the result of the pressed button.
  virtual int MessageDialog(const MessageDialogRequest& request) = 0;
};

}  // namespace orvella
