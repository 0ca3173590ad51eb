// Recording views of the three windows. Like the real windows, they send
// FormShow when shown modally and FormClose when closed; what the user does
// while a modal window is open is a script the test gives.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/choose_view.h"
#include "app/drive_choose.h"
#include "app/main_view.h"
#include "support/fakes.h"
#include "support/recording_format_page.h"

namespace orvella::test {

class FakeChooseView final : public ChooseView, public ThemableWindow {
 public:
  void SetCaption(const std::u16string& text) override { caption = text; }
  void SetFont(const FontSpec& value) override { font = value; }
  void SetProgramName(const std::u16string& text) override { programName = text; }
  void SetCopyright(const std::u16string& text) override { copyright = text; }
  void SetLinkColour(ChooseLink link, Rgb colour) override { linkColours[link] = colour; }
  void SetSimpleStatusText(const std::u16string& text) override { statusText = text; }
  ThemableWindow& DriveListWindow() override { return *this; }
  void SetWindowTheme(const std::u16string& subAppName) override { theme = subAppName; }
  void AppendRow(const DriveListLine& line) override {
    lines.push_back(line);
    rows.push_back(line.row);
  }
  void ClearRows() override {
    lines.clear();
    rows.clear();
    selected = -1;
  }
  int RowCount() override { return static_cast<int>(rows.size()); }
  int SelectedRow() override { return selected; }
  void SelectRow(int row) override { selected = row; }
  void FocusDriveList() override { listFocused = true; }
  void SetContinueEnabled(bool enabled) override { continueEnabled = enabled; }
  void SetUnopenedNote(const std::u16string& text) override { unopenedNote = text; }
  void ShowAdministratorOffer(bool shown) override { administratorOffered = shown; }
  void ShowModal() override {
    ++modalShows;
    open = true;
    window->FormShow();
    if (whileShown) whileShown();
  }
  void Close() override {
    if (!open) return;
    open = false;
    window->FormClose();
  }

  TFmChoose* window = nullptr;
  std::function<void()> whileShown;
  std::u16string caption, programName, copyright, statusText, theme, unopenedNote;
  bool administratorOffered = false;
  FontSpec font;
  std::map<ChooseLink, Rgb> linkColours;
  std::vector<DriveListLine> lines;
  std::vector<DriveRow> rows;  // the catalogue cells of each line
  int selected = -1;
  bool listFocused = false;
  bool continueEnabled = false;
  bool open = false;
  int modalShows = 0;
};

class FakeMainView final : public MainView {
 public:
  void SetCaption(const std::u16string& text) override { caption = text; }
  void SetFont(const FontSpec& value) override { font = value; }
  void ShowFirstPage() override { firstPageShown = true; }
  void SetDiskName(const std::u16string& text) override { diskName = text; }
  void SetStatusPanel(int panel, const std::u16string& text) override { statusPanels[panel] = text; }
  void SetCopyright(const std::u16string& text) override { copyright = text; }
  void SetCopyrightColour(Rgb colour) override { copyrightColour = colour; }
  bool QuickWipeChecked() override { return formatPage != nullptr && formatPage->quickWipeChecked; }
  // Like the window, whose read-back follows the quick wipe box unless the
  // user chose another.
  VerifyMethod VerifyChoice() override { return verify.value_or(DefaultVerifyMethod(QuickWipeChecked())); }
  void SetVerifyChoice(VerifyMethod method) override { verify = method; }
  EraseMethod MethodChoice() override { return method; }
  void ShowMethods(const std::vector<MethodLine>& lines, EraseMethod chosen) override {
    methods = lines;
    method = chosen;
  }
  void SetOverwriteChoicesEnabled(bool enabled) override { overwriteChoicesEnabled = enabled; }
  void SetRunChoicesEnabled(bool enabled) override { runChoicesEnabled = enabled; }
  void ShowChoiceNote(const std::u16string& text) override { choiceNote = text; }
  RecordFields RecordFieldsTyped() override { return recordFields; }
  void ShowRecordFields(const RecordFields& fields) override { recordFields = fields; }
  void ShowSystemDiskTick(const std::u16string& text) override {
    systemDiskTick = text;
    if (text.empty()) systemDiskTicked = false;
  }
  bool SystemDiskTicked() override { return !systemDiskTick.empty() && systemDiskTicked; }
  void SetSaveReportEnabled(bool enabled) override { saveReportEnabled = enabled; }
  void SetChooseAnotherEnabled(bool enabled) override { chooseAnotherEnabled = enabled; }
  // Like the window, which owns the memos the panes write to.
  void ClearDrivePages() override {
    ++pageClears;
    if (panes == nullptr) return;
    panes->formatLog.clear();
    panes->details.clear();
    panes->smart.clear();
  }
  std::u16string AskReportPath(const std::u16string& suggestedName) override {
    suggestedReportNames.push_back(suggestedName);
    return reportPath;
  }
  std::u16string WriteCertificate(const Json& record, const std::u16string& pdfPath) override {
    certificates.emplace_back(pdfPath, record);
    return certificateProblem;
  }

  // Set by the test.
  // The page whose two boxes stand for the window's cbQuickWipe and cbVerify.
  const test::RecordingFormatPage* formatPage = nullptr;
  test::RecordingPanes* panes = nullptr;                   // the panes ClearDrivePages empties
  std::u16string reportPath;          // what the save dialog answers
  std::optional<VerifyMethod> verify;
  EraseMethod method = EraseMethod::Zeros;
  RecordFields recordFields;
  bool systemDiskTicked = false;

  std::vector<MethodLine> methods;
  bool overwriteChoicesEnabled = true;
  bool runChoicesEnabled = true;
  std::u16string choiceNote, systemDiskTick;
  std::u16string certificateProblem;  // what writing a certificate answers

  std::u16string caption, diskName, copyright;
  bool saveReportEnabled = false;
  bool chooseAnotherEnabled = false;
  int pageClears = 0;
  std::vector<std::u16string> suggestedReportNames;
  std::vector<std::pair<std::u16string, Json>> certificates;
  FontSpec font;
  bool firstPageShown = false;
  std::map<int, std::u16string> statusPanels;
  Rgb copyrightColour = kNoticeGrey;
};

class FakeDebugView final : public DebugView {
 public:
  void ShowModeless() override { events.push_back("show"); }
  void Close() override { events.push_back("close"); }
  void ShowModal() override { events.push_back("modal"); }
  std::vector<std::string> events;
};

}  // namespace orvella::test
