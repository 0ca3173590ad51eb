#include "app/program_entry.h"

namespace orvella {

int RunProgram(Desktop& desktop, TFmMain& main, TFmChoose& choose) {
  main.FormCreate();
  choose.FormCreate();
  // The first show runs before the main window becomes visible; when it
  // ended the program, the window never appears.
  main.FormShow();
  if (desktop.application.Terminated()) return 0;
  return desktop.application.RunMessageLoop();
}

}  // namespace orvella
