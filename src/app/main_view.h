// The controls of the main window TFmMain that its own logic drives (the
// format page's controls are driven by the format procedure's view).
#pragma once

#include <string>
#include <vector>

#include "app/desktop.h"
#include "device/erase_methods.h"
#include "format/verify_method.h"
#include "record/record_json.h"

namespace orvella {

// Who erases, for whom, and which asset: typed on the format page, kept
// between runs, and written into every record.
struct RecordFields {
  std::u16string operatorName;
  std::u16string organisation;
  std::u16string assetTag;
  bool operator==(const RecordFields&) const = default;
};

// One entry of the method choice: the method's name, and for a method the
// drive does not offer, why not (the entry is then disabled).
struct MethodLine {
  EraseMethod method = EraseMethod::Zeros;
  std::u16string text;
  bool available = false;
  std::u16string reason;
  bool operator==(const MethodLine&) const = default;
};

// The panels of the main window's status bar.
inline constexpr int kStatusPanelProgram = 0;
inline constexpr int kStatusPanelDevice = 1;

class MainView {
 public:
  virtual ~MainView() = default;
  virtual void SetCaption(const std::u16string& caption) = 0;
  virtual void SetFont(const FontSpec& font) = 0;
  virtual void ShowFirstPage() = 0;
  virtual void SetDiskName(const std::u16string& text) = 0;  // lbDiskName
  virtual void SetStatusPanel(int panel, const std::u16string& text) = 0;
  virtual void SetCopyright(const std::u16string& text) = 0;  // lbCopyright
  virtual void SetCopyrightColour(Rgb colour) = 0;

  // btChooseAnother, "Choose another drive…": enabled while a drive is open
  // and no erase runs.
  virtual void SetChooseAnotherEnabled(bool enabled) = 0;
  // Empties the device details, S.M.A.R.T. and format log panes and puts
  // the format page back as it was at creation: the progress bar at 0 in
  // its normal state, the progress figures empty, quick wipe unchecked,
  // the sample read-back chosen.
  virtual void ClearDrivePages() = 0;

  // The choices on the format page: cbQuickWipe, the read-back (full,
  // sample or off) and the erase method.
  virtual bool QuickWipeChecked() = 0;
  virtual VerifyMethod VerifyChoice() = 0;
  virtual void SetVerifyChoice(VerifyMethod method) = 0;
  virtual EraseMethod MethodChoice() = 0;
  // Fills the method choice with the drive's methods and chooses `chosen`.
  virtual void ShowMethods(const std::vector<MethodLine>& lines, EraseMethod chosen) = 0;
  // The quick wipe and read-back choices only apply to the zero overwrite.
  virtual void SetOverwriteChoicesEnabled(bool enabled) = 0;
  // The method choice, the record's fields and the system disk's tick box:
  // disabled while a run goes on.
  virtual void SetRunChoicesEnabled(bool enabled) = 0;
  // What the choices mean for the drive, under them; empty hides it.
  virtual void ShowChoiceNote(const std::u16string& note) = 0;

  virtual RecordFields RecordFieldsTyped() = 0;
  virtual void ShowRecordFields(const RecordFields& fields) = 0;

  // The tick box with which the user says they understand that the drive
  // holds the running system, with `text` as its caption; an empty text
  // hides it (and unticks it).
  virtual void ShowSystemDiskTick(const std::u16string& text) = 0;
  virtual bool SystemDiskTicked() = 0;

  // btSaveReport, "Save erase report…": enabled once a run has ended.
  virtual void SetSaveReportEnabled(bool enabled) = 0;
  // Asks where the record goes (a save dialog); empty when the user cancels.
  virtual std::u16string AskReportPath(const std::u16string& suggestedName) = 0;
  // Writes the record's one-page certificate; empty on success, else what
  // went wrong.
  virtual std::u16string WriteCertificate(const Json& record, const std::u16string& pdfPath) = 0;
};

// The debug window TFmDebug; its memo receives the debug log.
class DebugView {
 public:
  virtual ~DebugView() = default;
  // Shows the window without modality and returns at once.
  virtual void ShowModeless() = 0;
  virtual void Close() = 0;
  // Shows the window modally; returns once the user has closed it.
  virtual void ShowModal() = 0;
};

}  // namespace orvella
