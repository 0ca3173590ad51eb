// Interface support that follows the running system's version: on Vista
// and later the windows get the system font in Calibri, list views the
// explorer look and questions a task dialog; older systems get the
// icon-title font, the classic list and the standard message dialog.
#pragma once

#include <string>

#include "app/desktop.h"
#include "app/dialogs.h"
#include "platform/os.h"

namespace orvella {

// A window whose drawing theme can be switched.
class ThemableWindow {
 public:
  virtual ~ThemableWindow() = default;
  virtual void SetWindowTheme(const std::u16string& subAppName) = 0;
};

// True when the system's major version is 6 or more; asks afresh each time.
bool IsVistaOrLater(Os& os);

// The icon-title font, or the default GUI font when it cannot be read.
void SetSystemFont(SystemFonts& fonts, FontSpec& font);
void SetDefaultGuiFont(SystemFonts& fonts, FontSpec& font);

// On Vista and later, Calibri two points larger, where Calibri is
// installed and the font is not Calibri already.
void SetVistaFont(Os& os, SystemFonts& fonts, FontSpec& font);

// The font a window gets at creation: SetSystemFont, then SetVistaFont.
FontSpec WindowFont(Os& os, SystemFonts& fonts);

// On Vista and later, the explorer look.
void SetExplorerTheme(Os& os, ThemableWindow& window);

// Asks a question. On Vista and later as a task dialog (0 when none can be
// shown), else as the standard message dialog showing Content only. Results:
// 1 OK, 2 Cancel, 3 Close or Abort, 4 Retry, 6 Yes, 7 No. `defaultButton`
// (one of those results) is the button that Enter presses; with 0 the
// dialog chooses.
int ShowTaskDialog(Os& os, Dialogs& dialogs, WindowId owner, const std::u16string& title,
                   const std::u16string& instruction, const std::u16string& content, int icon,
                   int buttons, int defaultButton = 0);

// Asks a question whose buttons are named for their acts: the request's
// custom buttons, then its common buttons. On Vista and later as a task
// dialog (0 when none can be shown), else as the standard message dialog
// with the instruction and the content and the same buttons, owned by the
// same window.
int AskQuestion(Os& os, Dialogs& dialogs, const TaskDialogRequest& request);

}  // namespace orvella
