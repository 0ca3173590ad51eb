#include "app/main_window.h"

#include <exception>
#include <filesystem>

#include "core/halt.h"
#include "core/system_error_text.h"
#include "core/text.h"
#include "app/erase_choices_page.h"
#include "app/erase_report.h"
#include "app/system_disk.h"
#include "app/vista_funcs.h"
#include "device/erase_facts.h"
#include "format/run_ending.h"
#include "record/erase_record.h"
#include "reports/device_details_report.h"
#include "reports/smart_report.h"
#include "reports/text_forms.h"

namespace orvella {
namespace {

// The names under which the desktop keeps the record's fields.
constexpr char16_t kOperatorSetting[] = u"operator";
constexpr char16_t kOrganisationSetting[] = u"organisation";
constexpr char16_t kAssetTagSetting[] = u"assetTag";

// Where the run's record went by itself, for the ending.
std::u16string KeptRecordWords(const std::optional<KeptRecord>& kept) {
  if (!kept) return {};
  const auto name = [](const std::u16string& path) { return std::filesystem::path(path).filename().u16string(); };
  std::u16string words;
  if (!kept->recordPath.empty())
    words = u"The erase record was kept in " + std::filesystem::path(kept->recordPath).parent_path().u16string() +
            u" as " + name(kept->recordPath);
  if (!kept->certificatePath.empty()) words += u", its certificate as " + name(kept->certificatePath);
  if (!words.empty()) words += u".";
  if (!kept->problem.empty()) words += (words.empty() ? u"" : u" ") + kept->problem;
  return words;
}

}  // namespace

void TFmMain::FormCreate() {
  windows_.main.ShowFirstPage();
  windows_.main.SetFont(WindowFont(program_.os, desktop_.fonts));
}

void TFmMain::FormShow() { ShowingErrors(&TFmMain::StartUp); }

void TFmMain::ShowingErrors(void (TFmMain::*step)()) {
  try {
    (this->*step)();
  } catch (const std::exception& error) {
    // What an event handler does not handle, the application shows.
    desktop_.dialogs.MessageBox(Utf8ToText(error.what()), kProgramTitle, MessageIcon::Error);
    SetFormatControlsEnabled(formatPage_, false);
    windows_.main.SetChooseAnotherEnabled(false);
  }
}

void TFmMain::StartUp() {
  ShowKeptRecordFields();
  InitializeProgram(program_, desktop_, windows_);
  if (program_.DebugMode) {
    windows_.debug.Close();
    windows_.debug.ShowModal();
  }
  if (!ChooseDevice(drive_, choose_)) {
    desktop_.application.Terminate();
    return;
  }
  OpenAndShowChosenDevice();
}

void TFmMain::btChooseAnotherClick() {
  if (format_.Running() || !DriveOpen()) return;
  ShowingErrors(&TFmMain::ChooseAnotherDrive);
}

// The drive is closed before the walk, so that the walk finds it again
// like any other drive; the catalogue starts empty, as a drive may have
// come or gone since the last walk.
void TFmMain::ChooseAnotherDrive() {
  windows_.main.SetChooseAnotherEnabled(false);
  format_.RequestClose();  // outside a run, this closes DeviceHandle
  ForgetDrive();
  choose_.PrepareAnotherChoice();
  program_.DeviceTables = {};
  program_.DeviceCount = 0;
  WalkDrives(program_, windows_.choose);
  WriteFormatWarning(program_);
  if (!ChooseDevice(drive_, choose_)) {
    desktop_.application.Terminate();
    return;
  }
  OpenAndShowChosenDevice();
}

// Everything the window showed or kept of the closed drive.
void TFmMain::ForgetDrive() {
  lastRecord_.reset();
  kept_.reset();
  methods_.clear();
  windows_.main.SetSaveReportEnabled(false);
  windows_.main.ClearDrivePages();
  windows_.main.ShowFirstPage();
  drive_.DeviceTitle.clear();
  windows_.main.SetDiskName(u"");
  windows_.main.SetStatusPanel(kStatusPanelDevice, u"");
}

void TFmMain::OpenAndShowChosenDevice() {
  drive_.DeviceTitle = GetDeviceTitle(program_.DeviceTables, static_cast<int>(drive_.SelectedDevice),
                                      program_.locale.DecimalSeparator());
  windows_.main.SetDiskName(drive_.DeviceTitle);
  OpenChosenDevice();
  windows_.main.SetStatusPanel(kStatusPanelDevice, drive_.DeviceTitle);
  ShowDeviceDetails(drive_);
  ShowDriveChoices();
  windows_.main.SetChooseAnotherEnabled(true);
}

// The drive's own methods, read without changing anything, and the tick
// box of a drive that holds the running system.
void TFmMain::ShowDriveChoices() {
  methods_ = DriveMethods(ReadDriveEraseFacts(program_.os, drive_.DeviceHandle, drive_.Entry()));
  windows_.main.ShowMethods(MethodLinesOf(methods_), EraseMethod::Zeros);
  windows_.main.ShowSystemDiskTick(SystemDiskTickText(SystemUseOfDrive(program_, drive_.Entry().DeviceNumber)));
  ApplyMethodChoice();
}

std::optional<MethodChoice> TFmMain::ChosenMethod() const {
  const EraseMethod chosen = windows_.main.MethodChoice();
  for (const MethodChoice& choice : methods_)
    if (choice.method == chosen) return choice;
  return std::nullopt;
}

void TFmMain::cbQuickWipeClick() {
  windows_.main.SetVerifyChoice(DefaultVerifyMethod(windows_.main.QuickWipeChecked()));
  ApplyMethodChoice();
}

void TFmMain::cbMethodChange() {
  const std::optional<MethodChoice> chosen = ChosenMethod();
  if (chosen && !chosen->available) {
    windows_.main.ShowMethods(MethodLinesOf(methods_), EraseMethod::Zeros);
    ApplyMethodChoice();
    windows_.main.ShowChoiceNote(UnavailableMethodNote(*chosen));
    return;
  }
  ApplyMethodChoice();
}

void TFmMain::ApplyMethodChoice() {
  const std::optional<MethodChoice> chosen = ChosenMethod();
  const bool zeros = windows_.main.MethodChoice() == EraseMethod::Zeros;
  windows_.main.SetOverwriteChoicesEnabled(zeros && !format_.Running());
  windows_.main.ShowChoiceNote(ChoiceNote(windows_.main.QuickWipeChecked(), chosen));
}

bool TFmMain::DriveOpen() const { return drive_.IsOpen(); }

void TFmMain::OpenChosenDevice() {
  Os& os = program_.os;
  drive_.DeviceHandle = os.CreateFileW(drive_.Entry().DevicePath, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
  const std::uint32_t error = os.GetLastError();
  if (!drive_.IsOpen() || error != 0) {
    FatalError(program_, u"Error opening device: " + SystemErrorMessage(os, error), u"Error");
  }
}

// Closing the window must not end an erase by a slip: the run goes on
// unless the user confirms, and a confirmed close stops it as Stop does, so
// that its ending is shown and its record stays in the window.
bool TFmMain::FormClose() {
  if (!format_.Running()) return format_.RequestClose();
  if (drive_.StopRequested) return false;  // already stopping: the ending follows
  if (format_.LastRun().choices.method != EraseMethod::Zeros) {
    desktop_.dialogs.MessageBox(u"The drive is erasing itself, and its own erase cannot be stopped once it has "
                                u"begun. The window can be closed when the erase has ended.",
                                kProgramTitle, MessageIcon::Warning);
    return false;
  }
  if (AskToStopOnClose()) format_.btStopClick();
  return false;
}

// "Keep erasing" is the default: Enter, or a close pressed twice, must not
// stop a run either.
bool TFmMain::AskToStopOnClose() {
  TaskDialogRequest request{WindowId::Main,
                            u"Stop the erase?",
                            u"Stop the erase of " + DriveName() + u"? The drive will be left partly erased.",
                            u"What was written so far stays written; the rest of the drive keeps its data. The "
                            u"ending and the erase record stay in this window.",
                            kTaskIconWarning,
                            0,
                            IDNO,
                            {{u"Stop the erase", IDYES}, {u"Keep erasing", IDNO}}};
  return AskQuestion(program_.os, desktop_.dialogs, request) == IDYES;
}

// "[3] Testa Disk A": the number every screen shows, and the model.
std::u16string TFmMain::DriveName() {
  const TDeviceTable& entry = drive_.Entry();
  const std::u16string model = Trim(entry.IdentifyData.Model);
  return u"[" + UIntToStr(entry.DeviceNumber) + u"]" + (model.empty() ? u"" : u" " + model);
}

void TFmMain::btGetSmartClick() {
  SetFormatControlsEnabled(formatPage_, false);
  ShowSmartReport(drive_);
  SetFormatControlsEnabled(formatPage_, true);
  ApplyMethodChoice();
}

void TFmMain::btRunBenchmarksClick() {
  if (format_.Running() || !DriveOpen()) return;
  const std::optional<EraseChoices> choices = PageChoices();
  if (!choices) return;
  windows_.main.SetSaveReportEnabled(false);
  windows_.main.SetChooseAnotherEnabled(false);
  windows_.main.SetRunChoicesEnabled(false);
  format_.FormatDevice(*choices, [this](const EraseQuestion& question) { return AskToEraseDrive(question); });
  windows_.main.SetRunChoicesEnabled(true);
  ApplyMethodChoice();
  windows_.main.SetChooseAnotherEnabled(DriveOpen());
  const bool ran = format_.LastRun().outcome != FormatOutcome::NotConfirmed;
  if (ran) KeepLastRecord();
  windows_.main.SetSaveReportEnabled(lastRecord_.has_value());
  if (!ran) return;
  // A window that closed during the run has released its drive: nobody is
  // left to read the ending, and the log is gone with the window; the
  // record was kept all the same.
  if (DriveOpen()) ShowRunEnding();
}

std::optional<EraseChoices> TFmMain::PageChoices() {
  const std::vector<std::u16string> systemUse = SystemUseOfDrive(program_, drive_.Entry().DeviceNumber);
  if (!systemUse.empty() && !windows_.main.SystemDiskTicked()) {
    // The box may not be there yet: the system may have mounted the drive
    // since it was opened.
    windows_.main.ShowSystemDiskTick(SystemDiskTickText(systemUse));
    desktop_.dialogs.MessageBox(SystemDiskRefusal(systemUse), kProgramTitle, MessageIcon::Warning);
    return std::nullopt;
  }
  // Zeros too can be out of reach: a drive locked by its password refuses
  // every write.
  if (const std::optional<MethodChoice> chosen = ChosenMethod(); chosen && !chosen->available) {
    desktop_.dialogs.MessageBox(NotAvailableNote(*chosen), kProgramTitle, MessageIcon::Warning);
    return std::nullopt;
  }
  EraseChoices choices;
  choices.method = windows_.main.MethodChoice();
  // The overwrite's choices do not apply to the drive's own erase.
  if (choices.method == EraseMethod::Zeros) {
    choices.quickWipe = windows_.main.QuickWipeChecked();
    choices.verify = windows_.main.VerifyChoice();
  }
  choices.systemUse = systemUse;
  const RecordFields fields = windows_.main.RecordFieldsTyped();
  KeepRecordFields(fields);
  choices.operatorName = TextToUtf8(Trim(fields.operatorName));
  choices.organisation = TextToUtf8(Trim(fields.organisation));
  choices.assetTag = TextToUtf8(Trim(fields.assetTag));
  return choices;
}

void TFmMain::ShowKeptRecordFields() {
  Shell& shell = desktop_.shell;
  windows_.main.ShowRecordFields(
      {shell.Setting(kOperatorSetting), shell.Setting(kOrganisationSetting), shell.Setting(kAssetTagSetting)});
}

void TFmMain::KeepRecordFields(const RecordFields& fields) {
  desktop_.shell.KeepSetting(kOperatorSetting, fields.operatorName);
  desktop_.shell.KeepSetting(kOrganisationSetting, fields.organisation);
  desktop_.shell.KeepSetting(kAssetTagSetting, fields.assetTag);
}

CertificateWriter TFmMain::Certificates() {
  return [this](const Json& record, const std::u16string& pdf) { return windows_.main.WriteCertificate(record, pdf); };
}

// Every run's record is kept at once, before anything else can go wrong:
// choosing another drive or closing the window never loses it.
void TFmMain::KeepLastRecord() {
  lastRecord_ = EraseRecord(drive_, {format_.LastRun(), "orvella", std::nullopt});
  kept_ = KeepRecord(*lastRecord_, desktop_.shell.DocumentsFolder(), Certificates());
}

// Cancel is the default answer: two presses of Enter must not erase a drive.
// The button that erases names the act and the drive, and has no
// accelerator, so that no single key answers it.
EraseAnswer TFmMain::AskToEraseDrive(const EraseQuestion& question) {
  TaskDialogRequest request{WindowId::Main,     u"Warning",          question.instruction,
                            question.content,   kTaskIconWarning,    TDCBF_CANCEL_BUTTON,
                            IDCANCEL,           {{EraseButtonCaption(drive_.Entry().DeviceNumber), IDYES}}};
  return AskQuestion(program_.os, desktop_.dialogs, request) == IDYES ? EraseAnswer::Erase : EraseAnswer::Cancel;
}

std::u16string EraseButtonCaption(std::uint32_t driveNumber) { return u"Erase drive " + UIntToStr(driveNumber); }

void TFmMain::btSaveReportClick() {
  if (!lastRecord_) return;
  const std::u16string path = windows_.main.AskReportPath(SuggestedReportName(*lastRecord_));
  if (path.empty()) return;
  if (const std::u16string problem = SaveRecordAndCertificate(*lastRecord_, path, Certificates()); !problem.empty()) {
    desktop_.dialogs.MessageBox(problem, kProgramTitle, MessageIcon::Error);
    return;
  }
  desktop_.dialogs.MessageBox(u"The erase record was saved as " + path + u" and its certificate as " +
                                  CertificatePathOf(path) + u".",
                              kProgramTitle, MessageIcon::Information);
}

// The ending in plain words, with the report one button away.
void TFmMain::ShowRunEnding() {
  constexpr int kSaveReport = 100;
  const RunEnding ending = DescribeEnding(format_.LastRun(), drive_.Entry().IdentifyData.SectorSize);
  MessageDialogRequest request;
  request.owner = WindowId::Main;
  request.caption = ending.title;
  request.text = ending.headline + u"\r\n\r\n" + ending.details + u"\r\n\r\n" + KeptRecordWords(kept_);
  request.icon = ending.failed ? MessageIcon::Error : ending.erased ? MessageIcon::Information : MessageIcon::Warning;
  request.buttons = {{u"OK", IDOK}};
  if (lastRecord_) request.buttons.push_back({u"&Save erase report\u2026", kSaveReport});
  request.defaultResult = IDOK;
  if (desktop_.dialogs.MessageDialog(request) == kSaveReport) btSaveReportClick();
}

void TFmMain::lbCopyrightClick() { desktop_.shell.OpenWebAddress(kMakerWebAddress); }

void TFmMain::lbCopyrightMouseEnter() { windows_.main.SetCopyrightColour(kLinkBlue); }

void TFmMain::lbCopyrightMouseLeave() { windows_.main.SetCopyrightColour(kNoticeGrey); }

void TFmMain::lbCopyrightMouseDown(MouseButton button) {
  if (button == MouseButton::Left) windows_.main.SetCopyrightColour(kPressedRed);
}

void TFmMain::lbCopyrightMouseUp(MouseButton button) {
  if (button == MouseButton::Left) windows_.main.SetCopyrightColour(kNoticeGrey);
}

}  // namespace orvella
