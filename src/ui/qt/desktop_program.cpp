#include "ui/qt/desktop_program.h"

#include "app/program_entry.h"
#include "ui/qt/disabled_colours.h"

namespace orvella::qt {

DesktopProgram::DesktopProgram(Os& os, Clock& clock, Locale& locale, Halt& halt,
                               std::vector<std::u16string> arguments, Dialogs* dialogs, Shell* shell)
    : mainWindow_(clock),
      panes_(mainWindow_.FormatLog(), debugDialog_.Memo(), mainWindow_.DetailsPane(), mainWindow_.SmartPane()),
      application_(mainWindow_, std::move(arguments)),
      qtDialogs_([this](WindowId id) { return OwnerWindow(id); }),
      desktop_{application_, dialogs != nullptr ? *dialogs : qtDialogs_, shell != nullptr ? *shell : qtShell_, fonts_},
      program_(os, clock, locale, panes_, halt),
      fmChoose_(program_, desktop_, chooseDialog_),
      fmMain_(program_, desktop_, mainWindow_, mainWindow_.Page(), fmChoose_, debugDialog_) {
  chooseDialog_.Attach(fmChoose_);
  mainWindow_.Attach(fmMain_);
  DimDisabledTextOfApplication();
}

int DesktopProgram::Run() { return RunProgram(desktop_, fmMain_, fmChoose_); }

bool DesktopProgram::Start() { return StartProgram(desktop_, fmMain_, fmChoose_); }

QWidget* DesktopProgram::OwnerWindow(WindowId id) {
  switch (id) {
    case WindowId::Main: return &mainWindow_;
    case WindowId::Choose: return &chooseDialog_;
    case WindowId::Debug: return &debugDialog_;
    case WindowId::None: break;
  }
  // A message without a window of its own belongs to the one in front.
  if (chooseDialog_.isVisible()) return &chooseDialog_;
  if (mainWindow_.isVisible()) return &mainWindow_;
  return nullptr;
}

}  // namespace orvella::qt
