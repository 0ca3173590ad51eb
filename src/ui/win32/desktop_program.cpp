#include "ui/win32/desktop_program.h"

#include "app/program_entry.h"
#include "app/vista_funcs.h"
#include "ui/win32/gui.h"

namespace orvella::win32ui {

DesktopProgram::DesktopProgram(Os& os, Clock& clock, Locale& locale, Halt& halt,
                               std::vector<std::u16string> arguments, Dialogs* dialogs, Shell* shell)
    : mainFrame_(clock),
      chooseWindow_([this] { return application_.Terminated(); }),
      debugWindow_([this] { return application_.Terminated(); }),
      panes_(mainFrame_.FormatLog(), debugWindow_.Memo(), mainFrame_.DetailsPane(), mainFrame_.SmartPane()),
      application_(mainFrame_, std::move(arguments)),
      win32Dialogs_([this](WindowId id) { return OwnerWindow(id); }),
      desktop_{application_, dialogs != nullptr ? *dialogs : win32Dialogs_,
               shell != nullptr ? *shell : win32Shell_, fonts_},
      program_(os, clock, locale, panes_, halt),
      fmChoose_(program_, desktop_, chooseWindow_),
      fmMain_(program_, desktop_, mainFrame_, mainFrame_.Page(), fmChoose_, debugWindow_) {
  chooseWindow_.Attach(fmChoose_);
  mainFrame_.Attach(fmMain_, locale.DecimalSeparator());
}

int DesktopProgram::Run() { return RunProgram(desktop_, fmMain_, fmChoose_); }

bool DesktopProgram::Start() { return StartProgram(desktop_, fmMain_, fmChoose_); }

WindowHandle DesktopProgram::OwnerWindow(WindowId id) {
  switch (id) {
    case WindowId::Main: return mainFrame_.Handle();
    case WindowId::Choose: return chooseWindow_.Handle();
    case WindowId::Debug: return debugWindow_.Handle();
    case WindowId::None: break;
  }
  // A message without a window of its own belongs to the one in front, so
  // that it is centred on it and keeps it from a second click meanwhile.
  for (const WindowHandle window : {chooseWindow_.Handle(), mainFrame_.Handle()})
    if (window != nullptr && IsWindowVisible(window)) return window;
  return nullptr;
}

}  // namespace orvella::win32ui
