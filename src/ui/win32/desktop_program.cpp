#include "ui/win32/desktop_program.h"

#include "app/program_entry.h"
#include "app/vista_funcs.h"

namespace orvella::win32ui {

DesktopProgram::DesktopProgram(Os& os, Clock& clock, Locale& locale, Halt& halt,
                               std::vector<std::u16string> arguments, Dialogs* dialogs, Shell* shell)
    : chooseWindow_([this] { return application_.Terminated(); }),
      debugWindow_([this] { return application_.Terminated(); }),
      panes_(mainFrame_.FormatLog(), debugWindow_.Memo(), mainFrame_.DetailsPane(), mainFrame_.SmartPane()),
      application_(mainFrame_, std::move(arguments)),
      win32Dialogs_([this](WindowId id) { return OwnerWindow(id); }),
      desktop_{application_, dialogs != nullptr ? *dialogs : win32Dialogs_,
               shell != nullptr ? *shell : win32Shell_, fonts_},
      program_(os, clock, locale, panes_, halt),
      fmChoose_(program_, desktop_, chooseWindow_),
      fmMain_(program_, desktop_, mainFrame_, mainFrame_, fmChoose_, debugWindow_) {
  chooseWindow_.Attach(fmChoose_);
  mainFrame_.Attach(
      fmMain_, [](const Json&, const std::u16string& pdfPath) { return CertificateNotMade(pdfPath); },
      locale.DecimalSeparator());
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
  return nullptr;
}

std::u16string CertificateNotMade(const std::u16string& pdfPath) {
  return u"The erase record was saved, but not its certificate " + pdfPath +
         u": the Windows program makes no PDF. orvella-certificate makes it from the saved record.";
}

}  // namespace orvella::win32ui
