// The main window TFmMain: its first show runs the whole start-up and opens
// the chosen drive, which it owns until it closes or the user chooses
// another; its buttons run the S.M.A.R.T. report and the format procedure
// on that drive.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/desktop.h"
#include "app/erase_report.h"
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
  // Runs the format procedure with the page's choices; a run that was
  // confirmed keeps its erase record (and certificate) in the records
  // folder by itself, leaves it for "Save erase report…", and ends with a
  // dialog that says in plain words what the drive now holds and where the
  // record is. The disk of the running system is refused unless its tick
  // box is ticked.
  void btRunBenchmarksClick();
  // The quick wipe box was clicked: the read-back follows the mode's own,
  // and the note under the choices follows the box.
  void cbQuickWipeClick();
  // Another method was chosen: one the drive does not offer is taken back
  // with its reason; the overwrite's own choices apply to the zeros only.
  void cbMethodChange();
  void btStopClick() { format_.btStopClick(); }
  // "Choose another drive…": closes the drive, walks the drives again and
  // shows the selection window; a drive chosen there is opened and shown
  // in emptied panes, leaving it without a choice ends the program. Does
  // nothing during a format run or without an open drive.
  void btChooseAnotherClick();
  // Saves a copy of the last run's record (JSON) and its certificate (PDF)
  // where the user says, and tells how that went.
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
  // The page's choices as the user left them; none when the drive holds
  // the running system and the user has not ticked that they know.
  std::optional<EraseChoices> PageChoices();
  void ShowDriveChoices();
  void ApplyMethodChoice();
  std::optional<MethodChoice> ChosenMethod() const;
  void ShowKeptRecordFields();
  void KeepRecordFields(const RecordFields& fields);
  void KeepLastRecord();
  CertificateWriter Certificates();
  void ShowRunEnding();

  Program& program_;
  Desktop& desktop_;
  ProgramWindows windows_;
  FormatPageView& formatPage_;
  TFmChoose& choose_;
  DriveRun drive_;
  FormatProcedure format_;
  std::optional<Json> lastRecord_;
  std::optional<KeptRecord> kept_;  // where the last record went by itself
  std::vector<MethodChoice> methods_;  // the open drive's erase methods
};

}  // namespace orvella
