// The program entry once the application object and the three windows
// exist: the windows' creation handlers in creation order, the main
// window's first show, then the message loop.
#pragma once

#include "app/desktop.h"
#include "app/drive_choose.h"
#include "app/main_window.h"

namespace orvella {

// Returns the process exit code.
int RunProgram(Desktop& desktop, TFmMain& main, TFmChoose& choose);

}  // namespace orvella
