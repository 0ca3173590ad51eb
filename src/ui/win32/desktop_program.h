// The whole desktop program over an OS seam as native windows: the three
// windows created in their order, their memos as the log panes, the
// program state, and the window logic attached to the windows. Both
// executables and the window tests build one; tests hand in dialogs and a
// shell that answer without blocking.
#pragma once

#include "app/desktop.h"
#include "app/drive_choose.h"
#include "app/main_window.h"
#include "core/program.h"
#include "ui/win32/choose_window.h"
#include "ui/win32/debug_window.h"
#include "ui/win32/desktop_services.h"
#include "ui/win32/font_handle.h"
#include "ui/win32/main_frame.h"
#include "ui/win32/memo.h"
#include "ui/win32/win32_dialogs.h"

namespace orvella::win32ui {

class DesktopProgram {
 public:
  // `arguments` is the command line the program sees, its path first;
  // `dialogs` and `shell` replace the Windows ones when given.
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
  Win32Application& App() { return application_; }
  MainFrame& Main() { return mainFrame_; }
  ChooseWindow& Choose() { return chooseWindow_; }
  DebugWindow& Debug() { return debugWindow_; }

 private:
  WindowHandle OwnerWindow(WindowId id);

  MainFrame mainFrame_;
  ChooseWindow chooseWindow_;
  DebugWindow debugWindow_;
  MemoPanes panes_;
  Win32Application application_;
  Win32Dialogs win32Dialogs_;
  Win32Shell win32Shell_;
  Win32SystemFonts fonts_;
  Desktop desktop_;
  Program program_;
  TFmChoose fmChoose_;
  TFmMain fmMain_;
};

}  // namespace orvella::win32ui
