// The selection window TFmChoose: lists the device catalogue and lets the
// user choose the drive the program works on for the rest of the run.
#pragma once

#include "app/choose_view.h"
#include "app/desktop.h"
#include "core/program.h"
#include "device/drive_run.h"

namespace orvella {

class TFmChoose {
 public:
  TFmChoose(Program& program, Desktop& desktop, ChooseView& view)
      : program_(program), desktop_(desktop), view_(view) {}

  ChooseView& View() { return view_; }
  // True once Continue has accepted a drive.
  bool DeviceChosen() const { return deviceChosen_; }
  // The catalogue entry Continue accepted; -1 until then.
  std::int64_t ChosenEntry() const { return chosenEntry_; }

  // Makes the window as it was before its first show, for choosing another
  // drive: no drive chosen, the list empty, Continue disabled. Closing it
  // without a choice then ends the program again.
  void PrepareAnotherChoice();

  void FormCreate();
  void FormShow();
  void FormClose();
  void DriveListClick();
  void DriveListDblClick();
  void DriveListKeyDown(int virtualKey);
  void btContinueClick();
  void lbDiskManagementClick();
  // The button offered when no drive could be opened for want of rights.
  void btStartAsAdministratorClick();
  void Label1Click();
  void Label1MouseDown(MouseButton button);
  void Label1MouseUp(MouseButton button);

 private:
  Program& program_;
  Desktop& desktop_;
  ChooseView& view_;
  // Whether the drive of list row `row` may be chosen.
  bool Choosable(int row) const;

  bool deviceChosen_ = false;
  std::int64_t chosenEntry_ = -1;
};

// Below the list: how many drives could not be opened and why; with an
// empty list for want of rights, that explanation and the offer to start
// again with administrator rights.
void TellOfUnopenedDrives(Program& program, ChooseView& view);

// Fills the list with the catalogue, tells of the drives that could not be
// opened, shows the window modally and returns whether a drive was chosen;
// the run's SelectedDevice then holds its entry number (else -1).
bool ChooseDevice(DriveRun& run, TFmChoose& window);

}  // namespace orvella
