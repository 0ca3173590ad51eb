// The program entry once the application object and the three windows
// exist: the windows' creation handlers in creation order, the main
// window's first show, then the message loop.
#pragma once

#include "app/desktop.h"
#include "app/drive_choose.h"
#include "app/main_window.h"

namespace orvella {

// The windows' creation handlers and the main window's first show; false
// when the program ended on the way.
bool StartProgram(Desktop& desktop, TFmMain& main, TFmChoose& choose);

// StartProgram, then the message loop; returns the process exit code.
int RunProgram(Desktop& desktop, TFmMain& main, TFmChoose& choose);

}  // namespace orvella
