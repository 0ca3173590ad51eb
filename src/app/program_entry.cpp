#include "app/program_entry.h"

namespace orvella {

bool StartProgram(Desktop& desktop, TFmMain& main, TFmChoose& choose) {
  main.FormCreate();
  choose.FormCreate();
  // The first show runs before the main window becomes visible; when it
  // ended the program, the window never appears.
  main.FormShow();
  return !desktop.application.Terminated();
}

int RunProgram(Desktop& desktop, TFmMain& main, TFmChoose& choose) {
  if (!StartProgram(desktop, main, choose)) return 0;
  return desktop.application.RunMessageLoop();
}

}  // namespace orvella
