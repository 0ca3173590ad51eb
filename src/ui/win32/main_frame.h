// The main window TFmMain as a native window: the white header with the
// drive's title, the tab control with the pages "Device details",
// "LOW-LEVEL FORMAT" and "S.M.A.R.T.", the notice link, and the status bar
// of three panels. Events go to the window logic (app/main_window.h); the
// format page's behaviour is app/format_page.h, over this window's controls.
#pragma once

#include <array>
#include <vector>

#include "app/format_page.h"
#include "app/main_view.h"
#include "app/main_window.h"
#include "ui/win32/controls.h"
#include "ui/win32/font_handle.h"
#include "ui/win32/link_label.h"
#include "ui/win32/top_window.h"

namespace orvella::win32ui {

class MainFrame final : public TopWindow, public MainView, public FormatPageWidgets {
 public:
  // `clock` is the program's; the format page counts a run's time by it.
  explicit MainFrame(Clock& clock);
  void Attach(TFmMain& logic, char16_t decimalSeparator);

  WindowHandle FormatLog() const { return logBenchMark_; }
  WindowHandle DetailsPane() const { return logDetails_; }
  WindowHandle SmartPane() const { return logSmart_; }
  // The "LOW-LEVEL FORMAT" page the format procedure drives.
  FormatPage& Page() { return formatPage_; }

  // MainView
  void SetCaption(const std::u16string& caption) override;
  void SetFont(const FontSpec& font) override;
  void ShowFirstPage() override { ShowPage(0); }
  void SetDiskName(const std::u16string& text) override;
  void SetStatusPanel(int panel, const std::u16string& text) override { statusBar_.SetPanelText(panel, text); }
  void SetCopyright(const std::u16string& text) override;
  void SetCopyrightColour(Rgb colour) override { lbCopyright_.SetColour(colour); }
  bool QuickWipeChecked() override;
  VerifyMethod VerifyChoice() override;
  void SetVerifyChoice(VerifyMethod method) override;
  EraseMethod MethodChoice() override;
  void ShowMethods(const std::vector<MethodLine>& lines, EraseMethod chosen) override;
  void SetOverwriteChoicesEnabled(bool enabled) override;
  void SetRunChoicesEnabled(bool enabled) override;
  void ShowChoiceNote(const std::u16string& note) override;
  RecordFields RecordFieldsTyped() override;
  void ShowRecordFields(const RecordFields& fields) override;
  void ShowSystemDiskTick(const std::u16string& text) override;
  bool SystemDiskTicked() override;
  void SetSaveReportEnabled(bool enabled) override;
  void SetChooseAnotherEnabled(bool enabled) override;
  void ClearDrivePages() override;
  std::u16string AskReportPath(const std::u16string& suggestedName) override;
  std::u16string WriteCertificate(const Json& record, const std::u16string& pdfPath) override;

  // FormatPageWidgets
  void SetBarPosition(int position) override;
  void SetBarState(ProgressState state) override;
  void SetLabelText(FormatLabel label, const std::u16string& text) override;
  std::u16string LabelText(FormatLabel label) override;
  void SetRunFiguresText(const std::u16string& text) override;
  void SetWindowTitle(const std::u16string& title) override;
  void AskForAttention() override;
  void SetControlEnabled(FormatControl control, bool enabled) override;
  void FocusStop() override;
  void SetChecks(bool quickWipe, VerifyMethod verify) override;
  char16_t DecimalSeparator() override { return decimalSeparator_; }
  void ProcessPendingMessages() override;
  void CloseWindow() override;

  bool PreTranslate(tagMSG& message) override;

  // For tests and pictures.
  enum class Control {
    RunBenchmarks, Stop, SaveReport, GetSmart, QuickWipe, Verify, DiskName, RunFigures, ChooseAnother,
    Method, Operator, Organisation, AssetTag, SystemDisk, ChoiceNote,
  };
  WindowHandle ControlHandle(Control control) const;
  WindowHandle ProgressBar() const { return pbCurrentTask_; }
  ProgressState ShownProgressState() const { return progressState_; }
  const StatusBar& Status() const { return statusBar_; }
  const LinkLabel& CopyrightLink() const { return lbCopyright_; }
  int CurrentPage() const;
  void ShowPage(int page);

 private:
  void CreateHeaderAndPages();
  void CreateFormatPage();
  void CreateChoices();
  void LayoutChoices(int left, int top, int right, int bottom);
  void CreateBottom();
  void MakeFonts();
  void Layout(int width, int height) override;
  void LayoutFormatPage(int left, int top, int right, int bottom);
  void LayoutSmartPage(int left, int top, int right, int bottom);
  void DpiChanged() override;
  int DefaultButton() override;
  bool OnMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t& result) override;
  bool OnCommand(int id, int code);
  std::intptr_t ColourOf(void* dc, WindowHandle control);
  WindowHandle LabelOf(FormatLabel label) const;

  TFmMain* logic_ = nullptr;
  char16_t decimalSeparator_ = u'.';
  bool shown_ = false;
  FontSpec font_{u"Tahoma", 9};
  FontHandle windowFont_;
  FontHandle boldFont_;
  FontHandle reportFont_;
  FontHandle largeFont_;
  FontHandle noticeFont_;
  WindowHandle lbDiskName_ = nullptr;
  WindowHandle btChooseAnother_ = nullptr;
  WindowHandle pages_ = nullptr;
  // The controls of each page, shown while it is the current one.
  std::array<std::vector<WindowHandle>, 3> pageControls_;
  WindowHandle logDetails_ = nullptr;
  WindowHandle logBenchMark_ = nullptr;
  WindowHandle group_ = nullptr;
  WindowHandle pbCurrentTask_ = nullptr;
  ProgressState progressState_ = ProgressState::Normal;
  WindowHandle lbCurrentPercent_ = nullptr;
  WindowHandle lbSpeed_ = nullptr;
  WindowHandle lbCurrentPosition_ = nullptr;
  WindowHandle lbRunFigures_ = nullptr;
  WindowHandle cbQuickWipe_ = nullptr;
  WindowHandle cbVerify_ = nullptr;  // full, sample or off
  WindowHandle cbMethod_ = nullptr;  // the drive's erase methods
  std::vector<EraseMethod> methods_;  // the method of each entry of cbMethod_
  WindowHandle edOperator_ = nullptr;
  WindowHandle edOrganisation_ = nullptr;
  WindowHandle edAssetTag_ = nullptr;
  // The captions of the choices and of the record's fields.
  std::array<WindowHandle, 5> choiceLabels_{};
  WindowHandle cbSystemDisk_ = nullptr;  // shown only for the disk of the running system
  WindowHandle lbChoiceNote_ = nullptr;  // what the choices will do to the drive
  WindowHandle btSaveReport_ = nullptr;
  WindowHandle btRunBenchmarks_ = nullptr;
  WindowHandle btStop_ = nullptr;
  WindowHandle logSmart_ = nullptr;
  WindowHandle btGetSmart_ = nullptr;
  LinkLabel lbCopyright_;
  StatusBar statusBar_;
  FormatPage formatPage_;
};

}  // namespace orvella::win32ui
