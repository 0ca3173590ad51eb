// The main window TFmMain: its first show runs the whole start-up and opens
// the chosen drive, which it owns until it closes.
#pragma once

#include "app/desktop.h"
#include "app/drive_choose.h"
#include "app/main_view.h"
#include "app/startup.h"
#include "core/program.h"

namespace orvella {

class TFmMain {
 public:
  TFmMain(Program& program, Desktop& desktop, MainView& view, TFmChoose& choose, DebugView& debug)
      : program_(program), desktop_(desktop), windows_{view, choose.View(), debug}, choose_(choose) {}

  void FormCreate();
  // The first show: start-up, the choice of a drive, its opening and the
  // device details report. An error raised on the way is shown to the user
  // and leaves the window without a drive.
  void FormShow();
  void FormClose();

  void lbCopyrightClick();
  void lbCopyrightMouseEnter();
  void lbCopyrightMouseLeave();
  void lbCopyrightMouseDown(MouseButton button);
  void lbCopyrightMouseUp(MouseButton button);

 private:
  void StartUp();
  void OpenChosenDevice();
  bool DeviceOpen() const;

  Program& program_;
  Desktop& desktop_;
  ProgramWindows windows_;
  TFmChoose& choose_;
};

}  // namespace orvella
