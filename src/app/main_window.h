// The main window TFmMain: its first show runs the whole start-up and opens
// the chosen drive, which it owns until it closes or the user chooses
// another; its buttons run the S.M.A.R.T. report and the format procedure
// on that drive.
#pragma once

#include <optional>

#include "app/desktop.h"
#include "app/drive_choose.h"
#include "app/main_view.h"
#include "app/startup.h"
#include "core/program.h"
#include "device/drive_run.h"
#include "format/format_page_view.h"
#include "format/format_procedure.h"

namespace orvella {

// The erase question's button that erases: "Erase drive 3".
std::u16string EraseButtonCaption(std::uint32_t driveNumber);

// What a save says where the desktop makes no certificate: the record was
// saved, and what the user can and cannot do with it.
std::u16string RecordSavedWithoutCertificate(const std::u16string& path);

class TFmMain {
 public:
  TFmMain(Program& program, Desktop& desktop, MainView& view, FormatPageView& formatPage, TFmChoose& choose,
          DebugView& debug)
      : program_(program),
        desktop_(desktop),
        windows_{view, choose.View(), debug},
        formatPage_(formatPage),
        choose_(choose),
        drive_(program),
        format_(drive_, formatPage) {}

  // The drive the window works on, under the names SelectedDevice,
  // DeviceTitle, DeviceHandle, StopRequested and LockedVolumes.
  DriveRun& Drive() { return drive_; }

  void FormCreate();
  // The first show: start-up, the choice of a drive, its opening and the
  // device details report. An error raised on the way is shown to the user
  // and leaves the window without a drive, and without the actions that
  // need one.
  void FormShow();
  // Closes the drive and returns true; during a format run returns false
  // and asks whether to stop it: if the user confirms, the run stops as
  // Stop stops it, and the window stays with its ending and its record.
  bool FormClose();

  void btGetSmartClick();
  // Runs the format procedure; a run that was confirmed leaves its erase
  // record for "Save erase report…" and ends with a dialog that says in
  // plain words what the drive now holds.
  void btRunBenchmarksClick();
  void btStopClick() { format_.btStopClick(); }
  // "Choose another drive…": closes the drive, walks the drives again and
  // shows the selection window; a drive chosen there is opened and shown
  // in emptied panes, leaving it without a choice ends the program. Does
  // nothing during a format run or without an open drive.
  void btChooseAnotherClick();
  // Saves the last run's record (JSON) and its certificate (PDF) where the
  // user says, and tells how that went.
  void btSaveReportClick();

  void lbCopyrightClick();
  void lbCopyrightMouseEnter();
  void lbCopyrightMouseLeave();
  void lbCopyrightMouseDown(MouseButton button);
  void lbCopyrightMouseUp(MouseButton button);

 private:
  // Runs a step of the window's own sequences; an error raised on the way
  // is shown to the user and leaves the window without the actions that
  // need a drive.
  void ShowingErrors(void (TFmMain::*step)());
  void StartUp();
  void ChooseAnotherDrive();
  void ForgetDrive();
  // The chosen drive into the window: its title, its exclusive opening and
  // its details report.
  void OpenAndShowChosenDevice();
  void OpenChosenDevice();
  bool DriveOpen() const;
  EraseAnswer AskToEraseDrive(const EraseQuestion& question);
  bool AskToStopOnClose();
  std::u16string DriveName();
  void ShowRunEnding();

  Program& program_;
  Desktop& desktop_;
  ProgramWindows windows_;
  FormatPageView& formatPage_;
  TFmChoose& choose_;
  DriveRun drive_;
  FormatProcedure format_;
  std::optional<Json> lastRecord_;
};

}  // namespace orvella
