// The whole desktop program over an OS seam: the three windows created in
// their order, their memos as the log panes, the program state, and the
// window logic attached to the widgets. Both executables and the widget
// tests build one; tests hand in dialogs and a shell that answer without
// blocking.
#pragma once

#include "app/desktop.h"
#include "app/drive_choose.h"
#include "app/main_window.h"
#include "core/program.h"
#include "ui/qt/choose_dialog.h"
#include "ui/qt/debug_dialog.h"
#include "ui/qt/main_window.h"
#include "ui/qt/memo_panes.h"
#include "ui/qt/qt_application.h"
#include "ui/qt/qt_desktop_services.h"
#include "ui/qt/qt_dialogs.h"

namespace orvella::qt {

class DesktopProgram {
 public:
  // Needs a QApplication. `arguments` is the command line the program
  // sees, its path first; `dialogs` and `shell` replace the Qt ones when
  // given.
  DesktopProgram(Os& os, Clock& clock, Locale& locale, Halt& halt, std::vector<std::u16string> arguments,
                 Dialogs* dialogs = nullptr, Shell* shell = nullptr);

  // Runs the program to its end and returns the exit code.
  int Run();
  // Runs it up to the message loop: false when it ended on the way. The
  // main window is not shown yet.
  bool Start();

  Program& State() { return program_; }

  // The drive the main window works on.

  DriveRun& Drive() { return fmMain_.Drive(); }
  Application& App() { return application_; }
  MainWindow& Main() { return mainWindow_; }
  ChooseDialog& Choose() { return chooseDialog_; }
  DebugDialog& Debug() { return debugDialog_; }
  TFmMain& MainLogic() { return fmMain_; }
  TFmChoose& ChooseLogic() { return fmChoose_; }

 private:
  QWidget* OwnerWindow(WindowId id);

  MainWindow mainWindow_;
  ChooseDialog chooseDialog_;
  DebugDialog debugDialog_;
  MemoPanes panes_;
  QtApplication application_;
  QtDialogs qtDialogs_;
  QtShell qtShell_;
  QtSystemFonts fonts_;
  Desktop desktop_;
  Program program_;
  TFmChoose fmChoose_;
  TFmMain fmMain_;
};

}  // namespace orvella::qt
