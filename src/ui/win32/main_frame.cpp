#include "ui/win32/main_frame.h"

#include "certificate/certificate_page.h"

#include "ui/win32/gui.h"
#include "ui/win32/memo.h"

#include <commdlg.h>

#include <tuple>
#include <utility>

namespace orvella::win32ui {
namespace {

constexpr int kClientWidth = 768;
constexpr int kClientHeight = 499;
constexpr int kMinimumWidth = 750;
constexpr int kMinimumHeight = 450;
constexpr int kHeaderHeight = 32;
constexpr int kBottomStripHeight = 21;
constexpr int kMargin = 10;
constexpr int kChooseAnotherWidth = 150;
constexpr int kPageFormat = 1;
constexpr int kRowHeight = 22;

// The read-back choices, in the order of their entries.
constexpr std::array<std::pair<VerifyMethod, const char16_t*>, 3> kVerifyEntries{
    {{VerifyMethod::Sample, u"a sample (NIST SP 800-88)"}, {VerifyMethod::Full, u"every byte"}, {VerifyMethod::Off, u"off"}}};

enum ControlId {
  kDiskName = 100,
  kChooseAnother,
  kPages,
  kDetails,
  kFormatLog,
  kGroup,
  kProgress,
  kCurrentPercent,
  kSpeed,
  kCurrentPosition,
  kRunFigures,
  kQuickWipe,
  kVerify,
  kMethod,
  kOperator,
  kOrganisation,
  kAssetTag,
  kSystemDisk,
  kChoiceNote,
  kChoiceLabel,
  kSaveReport,
  kRunBenchmarks,
  kStop,
  kSmart,
  kGetSmart,
  kCopyright,
  kStatusBar,
};

const FontSpec kReportFont{u"Courier New", 9};
const FontSpec kLargeFont{u"Tahoma", 16};
const FontSpec kNoticeFont{u"Tahoma", 8, true};

// The page tabs with their Alt mnemonics.
struct PageTab {
  const char16_t* caption;
  wchar_t mnemonic;
};
constexpr std::array<PageTab, 3> kPageTabs{{{u"Device &details", L'd'}, {u"&LOW-LEVEL FORMAT", L'l'}, {u"&S.M.A.R.T.", L's'}}};

int ProgressStateCode(ProgressState state) {
  switch (state) {
    case ProgressState::Normal: return PBST_NORMAL;
    case ProgressState::Paused: return PBST_PAUSED;
    case ProgressState::Error: return PBST_ERROR;
  }
  return PBST_NORMAL;
}

// A group box paints its frame only; under a tab control that leaves its
// inside unpainted, so it fills it itself. It clips the controls it frames.
LRESULT CALLBACK GroupBoxProcedure(HWND group, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (message != WM_ERASEBKGND) return DefSubclassProc(group, message, wParam, lParam);
  RECT inside{};
  GetClientRect(group, &inside);
  FillRect(reinterpret_cast<HDC>(wParam), &inside, GetSysColorBrush(COLOR_BTNFACE));
  return 1;
}

void SetFontOf(HWND control, const FontHandle& font) {
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
}

}  // namespace

MainFrame::MainFrame(Clock& clock)
    : TopWindow({L"TFmMain", kClientWidth, kClientHeight, kMinimumWidth, kMinimumHeight}), formatPage_(*this, clock) {
  CreateHeaderAndPages();
  CreateFormatPage();
  CreateBottom();
  // The tab control and the group box lie under the controls they frame.
  SetWindowPos(group_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(pages_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  MakeFonts();
  ShowPage(0);
  Ready();
}

void MainFrame::CreateHeaderAndPages() {
  lbDiskName_ = AddControl(L"STATIC", u"", SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX | SS_ENDELLIPSIS, kDiskName);
  // In the header, beside the drive it replaces, and so on every page.
  btChooseAnother_ = AddControl(L"BUTTON", u"Choose &another drive\u2026", WS_TABSTOP | BS_PUSHBUTTON, kChooseAnother);
  EnableWindow(btChooseAnother_, FALSE);
  pages_ = AddControl(WC_TABCONTROLW, u"", WS_CLIPSIBLINGS | WS_TABSTOP, kPages);
  UseClassicLook(pages_);
  for (std::size_t i = 0; i < kPageTabs.size(); ++i) {
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(kPageTabs[i].caption));
    SendMessageW(pages_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&tab));
  }
  logDetails_ = AddMemo(Handle(), kDetails, WS_VSCROLL | WS_HSCROLL, false);
  pageControls_[0] = {logDetails_};
  logSmart_ = AddMemo(Handle(), kSmart, WS_VSCROLL | WS_HSCROLL, false);
  btGetSmart_ = AddControl(L"BUTTON", u"&Get SMART Data", WS_TABSTOP | BS_PUSHBUTTON, kGetSmart);
  pageControls_[2] = {logSmart_, btGetSmart_};
}

void MainFrame::CreateFormatPage() {
  logBenchMark_ = AddMemo(Handle(), kFormatLog, WS_VSCROLL | WS_HSCROLL, false);
  group_ = AddControl(L"BUTTON", u"Current task progress", BS_GROUPBOX | WS_CLIPSIBLINGS, kGroup);
  SetWindowSubclass(group_, GroupBoxProcedure, 1, 0);
  pbCurrentTask_ = AddControl(PROGRESS_CLASSW, u"", PBS_SMOOTH, kProgress);
  SendMessageW(pbCurrentTask_, PBM_SETRANGE32, 0, 100);
  lbCurrentPercent_ = AddControl(L"STATIC", u"", SS_LEFT | SS_NOPREFIX, kCurrentPercent);
  lbSpeed_ = AddControl(L"STATIC", u"", SS_RIGHT | SS_NOPREFIX, kSpeed);
  lbCurrentPosition_ = AddControl(L"STATIC", u"", SS_LEFT | SS_NOPREFIX, kCurrentPosition);
  lbRunFigures_ = AddControl(L"STATIC", u"", SS_LEFT | SS_NOPREFIX, kRunFigures);
  cbQuickWipe_ = AddControl(L"BUTTON", u"Perform &quick wipe (just remove partitions and MBR)",
                            WS_TABSTOP | BS_AUTOCHECKBOX, kQuickWipe);
  CreateChoices();
  btSaveReport_ = AddControl(L"BUTTON", u"Save &erase report\u2026", WS_TABSTOP | BS_PUSHBUTTON, kSaveReport);
  EnableWindow(btSaveReport_, FALSE);
  btRunBenchmarks_ = AddControl(L"BUTTON", u"&FORMAT THIS DEVICE", WS_TABSTOP | BS_DEFPUSHBUTTON, kRunBenchmarks);
  btStop_ = AddControl(L"BUTTON", u"S&top", WS_TABSTOP | BS_PUSHBUTTON, kStop);
  EnableWindow(btStop_, FALSE);
  pageControls_[kPageFormat] = {logBenchMark_,  group_,        pbCurrentTask_, lbCurrentPercent_, lbSpeed_,
                                lbCurrentPosition_, lbRunFigures_, cbQuickWipe_, cbVerify_,   cbMethod_,
                                edOperator_,    edOrganisation_, edAssetTag_, lbChoiceNote_,   btSaveReport_,
                                btRunBenchmarks_, btStop_};
  pageControls_[kPageFormat].insert(pageControls_[kPageFormat].end(), choiceLabels_.begin(), choiceLabels_.end());
}

// The read-back and method lists, the record's fields with their captions,
// the system disk's tick box (hidden until a drive needs it) and the note.
void MainFrame::CreateChoices() {
  const std::array<const char16_t*, 5> captions{u"&Verify:", u"&Method:", u"O&perator:", u"&Organisation:",
                                                u"Asset ta&g:"};
  const auto label = [this](const char16_t* caption) {
    return AddControl(L"STATIC", caption, SS_RIGHT | SS_CENTERIMAGE, kChoiceLabel);
  };
  // Each caption is created just before its control, so that its mnemonic
  // moves the focus there.
  choiceLabels_[0] = label(captions[0]);
  cbVerify_ = AddControl(L"COMBOBOX", u"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kVerify);
  for (const auto& [method, text] : kVerifyEntries)
    SendMessageW(cbVerify_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(text)));
  SendMessageW(cbVerify_, CB_SETCURSEL, 0, 0);
  choiceLabels_[1] = label(captions[1]);
  cbMethod_ = AddControl(L"COMBOBOX", u"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kMethod);
  choiceLabels_[2] = label(captions[2]);
  edOperator_ = AddControl(L"EDIT", u"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, kOperator);
  choiceLabels_[3] = label(captions[3]);
  edOrganisation_ = AddControl(L"EDIT", u"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, kOrganisation);
  choiceLabels_[4] = label(captions[4]);
  edAssetTag_ = AddControl(L"EDIT", u"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, kAssetTag);
  cbSystemDisk_ = AddControl(L"BUTTON", u"", WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE, kSystemDisk);
  lbChoiceNote_ = AddControl(L"STATIC", u"", SS_LEFT | SS_NOPREFIX, kChoiceNote);
}

void MainFrame::CreateBottom() {
  lbCopyright_.Attach(AddControl(L"STATIC", u"", SS_LEFT | SS_CENTERIMAGE | SS_NOTIFY | SS_NOPREFIX, kCopyright),
                      {[this] { logic_->lbCopyrightClick(); }, [this](MouseButton b) { logic_->lbCopyrightMouseDown(b); },
                       [this](MouseButton b) { logic_->lbCopyrightMouseUp(b); },
                       [this] { logic_->lbCopyrightMouseEnter(); }, [this] { logic_->lbCopyrightMouseLeave(); }});
  lbCopyright_.SetColour(kNoticeGrey);
  statusBar_.Create(*this, kStatusBar, {{250, false}, {450, false}, {50, true}});
}

void MainFrame::MakeFonts() {
  windowFont_ = FontHandle(font_, Dpi());
  FontSpec bold = font_;
  bold.bold = true;
  boldFont_ = FontHandle(bold, Dpi());
  reportFont_ = FontHandle(kReportFont, Dpi(), true);
  largeFont_ = FontHandle(kLargeFont, Dpi());
  noticeFont_ = FontHandle(kNoticeFont, Dpi());
  SetChildFonts(Handle(), windowFont_.Get());
  SetFontOf(lbDiskName_, boldFont_);
  SetFontOf(logDetails_, reportFont_);
  SetFontOf(logSmart_, reportFont_);
  for (HWND label : {lbCurrentPercent_, lbSpeed_, lbCurrentPosition_}) SetFontOf(label, largeFont_);
  SetFontOf(lbCopyright_.Handle(), noticeFont_);
}

void MainFrame::DpiChanged() { MakeFonts(); }

void MainFrame::Attach(TFmMain& logic, char16_t decimalSeparator) {
  logic_ = &logic;
  decimalSeparator_ = decimalSeparator;
}

void MainFrame::Layout(int width, int height) {
  const int margin = Px(kMargin);
  const int chooseWidth = Px(kChooseAnotherWidth);
  const int chooseLeft = width - margin - chooseWidth;
  MoveWindow(btChooseAnother_, chooseLeft, (Px(kHeaderHeight) - Px(kButtonHeight)) / 2, chooseWidth, Px(kButtonHeight),
             TRUE);
  MoveWindow(lbDiskName_, margin, 0, chooseLeft - Px(6) - margin, Px(kHeaderHeight), TRUE);
  const int stripTop = height - statusBar_.Layout(*this) - Px(kBottomStripHeight);
  MoveWindow(lbCopyright_.Handle(), margin, stripTop, width - 2 * margin, Px(kBottomStripHeight), TRUE);
  RECT area{margin, Px(kHeaderHeight) + margin, width - margin, stripTop};
  MoveWindow(pages_, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
  SendMessageW(pages_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  InflateRect(&area, -Px(6), -Px(6));
  MoveWindow(logDetails_, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
  LayoutFormatPage(area.left, area.top, area.right, area.bottom);
  LayoutSmartPage(area.left, area.top, area.right, area.bottom);
  InvalidateRect(Handle(), nullptr, TRUE);
}

// From the bottom up: the choices with the buttons, the progress group,
// and the format log filling the rest.
void MainFrame::LayoutFormatPage(int left, int top, int right, int bottom) {
  const int choicesTop = bottom - Px(120);
  const int groupHeight = Px(104);
  const int groupTop = choicesTop - Px(6) - groupHeight;
  const int inner = left + Px(10);
  const int innerWidth = right - left - Px(20);
  MoveWindow(group_, left, groupTop, right - left, groupHeight, TRUE);
  MoveWindow(pbCurrentTask_, inner, groupTop + Px(20), innerWidth, Px(22), TRUE);
  const int third = innerWidth / 3;
  MoveWindow(lbCurrentPercent_, inner, groupTop + Px(46), third, Px(30), TRUE);
  MoveWindow(lbCurrentPosition_, inner + third, groupTop + Px(46), third, Px(30), TRUE);
  MoveWindow(lbSpeed_, inner + 2 * third, groupTop + Px(46), innerWidth - 2 * third, Px(30), TRUE);
  MoveWindow(lbRunFigures_, inner, groupTop + Px(78), innerWidth, Px(18), TRUE);
  MoveWindow(logBenchMark_, left, top, right - left, groupTop - Px(6) - top, TRUE);
  LayoutChoices(left, choicesTop, right, bottom);
}

// Row 1: quick wipe, and Save erase report on the right; row 2: the
// read-back and the method, FORMAT THIS DEVICE and Stop; row 3: the
// record's fields; then the note, or the system disk's tick box and the
// note side by side when the drive holds the running system.
void MainFrame::LayoutChoices(int left, int top, int right, int bottom) {
  const int runWidth = Px(160);
  const int buttonsLeft = right - Px(kButtonWidth) - Px(6) - runWidth;
  MoveWindow(btSaveReport_, right - Px(kButtonWidth), top, Px(kButtonWidth), Px(kButtonHeight), TRUE);
  MoveWindow(cbQuickWipe_, left, top + Px(2), right - Px(kButtonWidth) - Px(6) - left, Px(20), TRUE);
  const int row2 = top + Px(kButtonHeight) + Px(4);
  MoveWindow(btRunBenchmarks_, buttonsLeft, row2, runWidth, Px(kButtonHeight), TRUE);
  MoveWindow(btStop_, right - Px(kButtonWidth), row2, Px(kButtonWidth), Px(kButtonHeight), TRUE);
  const int comboTop = row2 + Px(2);
  MoveWindow(choiceLabels_[0], left, comboTop, Px(44), Px(kRowHeight), TRUE);
  MoveWindow(cbVerify_, left + Px(48), comboTop, Px(170), Px(120), TRUE);
  MoveWindow(choiceLabels_[1], left + Px(222), comboTop, Px(52), Px(kRowHeight), TRUE);
  MoveWindow(cbMethod_, left + Px(278), comboTop, buttonsLeft - Px(8) - left - Px(278), Px(200), TRUE);
  const int row3 = row2 + Px(kButtonHeight) + Px(4);
  const int fieldWidth = (right - left - Px(60) - Px(86) - Px(66) - Px(24)) / 3;
  int x = left;
  for (const auto& [label, edit, labelWidth] : {std::tuple{choiceLabels_[2], edOperator_, 60},
                                                std::tuple{choiceLabels_[3], edOrganisation_, 86},
                                                std::tuple{choiceLabels_[4], edAssetTag_, 66}}) {
    MoveWindow(label, x, row3, Px(labelWidth) - Px(4), Px(kRowHeight), TRUE);
    MoveWindow(edit, x + Px(labelWidth), row3, fieldWidth, Px(kRowHeight), TRUE);
    x += Px(labelWidth) + fieldWidth + Px(8);
  }
  const int row4 = row3 + Px(kRowHeight) + Px(4);
  const bool tick = !WindowText(cbSystemDisk_).empty();
  const int noteLeft = tick ? left + (right - left) / 2 : left;
  MoveWindow(cbSystemDisk_, left, row4, noteLeft - left - Px(6), bottom - row4, TRUE);
  MoveWindow(lbChoiceNote_, noteLeft, row4, right - noteLeft, bottom - row4, TRUE);
}

void MainFrame::LayoutSmartPage(int left, int top, int right, int bottom) {
  MoveWindow(btGetSmart_, right - Px(kButtonWidth), bottom - Px(kButtonHeight), Px(kButtonWidth), Px(kButtonHeight),
             TRUE);
  MoveWindow(logSmart_, left, top, right - left, bottom - Px(kButtonHeight) - Px(6) - top, TRUE);
}

int MainFrame::CurrentPage() const { return static_cast<int>(SendMessageW(pages_, TCM_GETCURSEL, 0, 0)); }

void MainFrame::ShowPage(int page) {
  SendMessageW(pages_, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
  for (std::size_t i = 0; i < pageControls_.size(); ++i) {
    for (HWND control : pageControls_[i]) ShowWindow(control, static_cast<int>(i) == page ? SW_SHOW : SW_HIDE);
  }
  const bool tick = page == kPageFormat && !WindowText(cbSystemDisk_).empty();
  ShowWindow(cbSystemDisk_, tick ? SW_SHOW : SW_HIDE);
}

// Enter presses FORMAT THIS DEVICE while its page is showing.
int MainFrame::DefaultButton() {
  return CurrentPage() == kPageFormat && IsWindowEnabled(btRunBenchmarks_) ? kRunBenchmarks : 0;
}

// Ctrl+Tab and Ctrl+Shift+Tab (or Ctrl+PageDown and Ctrl+PageUp) turn the
// pages, Alt with a page's mnemonic shows it.
bool MainFrame::PreTranslate(MSG& message) {
  if (Handle() == nullptr || (message.hwnd != Handle() && !IsChild(Handle(), message.hwnd))) return false;
  const int pages = static_cast<int>(kPageTabs.size());
  if (message.message == WM_KEYDOWN && (GetKeyState(VK_CONTROL) & 0x8000) != 0) {
    const bool back = message.wParam == VK_PRIOR || (message.wParam == VK_TAB && (GetKeyState(VK_SHIFT) & 0x8000) != 0);
    if (message.wParam != VK_TAB && message.wParam != VK_NEXT && message.wParam != VK_PRIOR) return false;
    ShowPage((CurrentPage() + (back ? pages - 1 : 1)) % pages);
    return true;
  }
  if (message.message == WM_SYSCHAR) {
    for (int i = 0; i < pages; ++i) {
      if (towlower(static_cast<wint_t>(message.wParam)) == kPageTabs[static_cast<std::size_t>(i)].mnemonic) {
        ShowPage(i);
        return true;
      }
    }
  }
  return false;
}

bool MainFrame::OnMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t& result) {
  switch (message) {
    case WM_COMMAND: return OnCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom != pages_ || header->code != TCN_SELCHANGE) return false;
      ShowPage(CurrentPage());
      return true;
    }
    case WM_CTLCOLORSTATIC:
      result = ColourOf(reinterpret_cast<void*>(wParam), reinterpret_cast<HWND>(lParam));
      return true;
    case WM_ERASEBKGND: {
      auto* dc = reinterpret_cast<HDC>(wParam);
      RECT client{};
      GetClientRect(Handle(), &client);
      RECT header = client;
      header.bottom = Px(kHeaderHeight);
      FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
      FillRect(dc, &header, GetSysColorBrush(COLOR_WINDOW));
      result = 1;
      return true;
    }
    case WM_SHOWWINDOW:
      // The device details report is written before the first show; it
      // is read from its top.
      if (wParam != FALSE && !shown_) {
        shown_ = true;
        ShowFromLine(logDetails_, 0);
      }
      return false;
    case WM_CLOSE:
      if (logic_ == nullptr || logic_->FormClose()) DestroyWindow(Handle());
      return true;
    case WM_DESTROY: PostQuitMessage(0); return true;
    default: return false;
  }
}

bool MainFrame::OnCommand(int id, int code) {
  if (logic_ == nullptr) return false;
  if (id == kMethod && code == CBN_SELCHANGE) {
    logic_->cbMethodChange();
    return true;
  }
  if (code != BN_CLICKED) return false;
  switch (id) {
    case kQuickWipe: logic_->cbQuickWipeClick(); return true;
    case kRunBenchmarks: logic_->btRunBenchmarksClick(); return true;
    case kStop: logic_->btStopClick(); return true;
    case kSaveReport: logic_->btSaveReportClick(); return true;
    case kChooseAnother: logic_->btChooseAnotherClick(); return true;
    case kGetSmart: {
      const int firstNewLine = LineCount(logSmart_);
      logic_->btGetSmartClick();
      ShowFromLine(logSmart_, firstNewLine);
      return true;
    }
    default: return false;
  }
}

// The header's label and the read-only memos stand on white, the notice
// link in its colour.
std::intptr_t MainFrame::ColourOf(void* deviceContext, WindowHandle control) {
  auto* dc = static_cast<HDC>(deviceContext);
  const bool white = control == lbDiskName_ || control == logDetails_ || control == logBenchMark_ ||
                     control == logSmart_;
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  if (control == lbCopyright_.Handle()) {
    const Rgb colour = lbCopyright_.Colour();
    SetTextColor(dc, ToColorRef(colour.red, colour.green, colour.blue));
  }
  SetBkColor(dc, GetSysColor(white ? COLOR_WINDOW : COLOR_BTNFACE));
  if (!white) SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<std::intptr_t>(GetSysColorBrush(white ? COLOR_WINDOW : COLOR_BTNFACE));
}

void MainFrame::SetCaption(const std::u16string& caption) { formatPage_.SetTitle(caption); }

void MainFrame::SetFont(const FontSpec& font) {
  font_ = font;
  MakeFonts();
  LayoutNow();
}

void MainFrame::SetDiskName(const std::u16string& text) { SetWindowTextW(lbDiskName_, Wide(text)); }

void MainFrame::SetCopyright(const std::u16string& text) { SetWindowTextW(lbCopyright_.Handle(), Wide(text)); }

void MainFrame::SetSaveReportEnabled(bool enabled) { EnableWindow(btSaveReport_, enabled ? TRUE : FALSE); }

void MainFrame::SetChooseAnotherEnabled(bool enabled) { EnableWindow(btChooseAnother_, enabled ? TRUE : FALSE); }

void MainFrame::ClearDrivePages() {
  for (HWND pane : {logDetails_, logSmart_, logBenchMark_}) SetWindowTextW(pane, L"");
  formatPage_.Clear();
}

void MainFrame::SetChecks(bool quickWipe, VerifyMethod verify) {
  SendMessageW(cbQuickWipe_, BM_SETCHECK, quickWipe ? BST_CHECKED : BST_UNCHECKED, 0);
  SetVerifyChoice(verify);
}

VerifyMethod MainFrame::VerifyChoice() {
  const auto entry = static_cast<std::size_t>(SendMessageW(cbVerify_, CB_GETCURSEL, 0, 0));
  return entry < kVerifyEntries.size() ? kVerifyEntries[entry].first : DefaultVerifyMethod(QuickWipeChecked());
}

void MainFrame::SetVerifyChoice(VerifyMethod method) {
  for (std::size_t i = 0; i < kVerifyEntries.size(); ++i)
    if (kVerifyEntries[i].first == method) SendMessageW(cbVerify_, CB_SETCURSEL, i, 0);
}

EraseMethod MainFrame::MethodChoice() {
  const auto entry = static_cast<std::size_t>(SendMessageW(cbMethod_, CB_GETCURSEL, 0, 0));
  return entry < methods_.size() ? methods_[entry] : EraseMethod::Zeros;
}

// A list box entry cannot be greyed out: a method the drive does not offer
// carries its reason in its entry, and choosing it is taken back.
void MainFrame::ShowMethods(const std::vector<MethodLine>& lines, EraseMethod chosen) {
  SendMessageW(cbMethod_, CB_RESETCONTENT, 0, 0);
  methods_.clear();
  for (const MethodLine& line : lines) {
    SendMessageW(cbMethod_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(line.text)));
    methods_.push_back(line.method);
    if (line.method == chosen) SendMessageW(cbMethod_, CB_SETCURSEL, methods_.size() - 1, 0);
  }
}

void MainFrame::SetOverwriteChoicesEnabled(bool enabled) {
  EnableWindow(cbQuickWipe_, enabled ? TRUE : FALSE);
  EnableWindow(cbVerify_, enabled ? TRUE : FALSE);
}

void MainFrame::SetRunChoicesEnabled(bool enabled) {
  for (HWND control : {cbMethod_, edOperator_, edOrganisation_, edAssetTag_, cbSystemDisk_})
    EnableWindow(control, enabled ? TRUE : FALSE);
}

void MainFrame::ShowChoiceNote(const std::u16string& note) { SetWindowTextW(lbChoiceNote_, Wide(note)); }

RecordFields MainFrame::RecordFieldsTyped() {
  return {WindowText(edOperator_), WindowText(edOrganisation_), WindowText(edAssetTag_)};
}

void MainFrame::ShowRecordFields(const RecordFields& fields) {
  SetWindowTextW(edOperator_, Wide(fields.operatorName));
  SetWindowTextW(edOrganisation_, Wide(fields.organisation));
  SetWindowTextW(edAssetTag_, Wide(fields.assetTag));
}

void MainFrame::ShowSystemDiskTick(const std::u16string& text) {
  SetWindowTextW(cbSystemDisk_, Wide(text));
  if (text.empty()) SendMessageW(cbSystemDisk_, BM_SETCHECK, BST_UNCHECKED, 0);
  ShowPage(CurrentPage());
  LayoutNow();
}

bool MainFrame::SystemDiskTicked() {
  return !WindowText(cbSystemDisk_).empty() && SendMessageW(cbSystemDisk_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::u16string MainFrame::AskReportPath(const std::u16string& suggestedName) {
  std::u16string path = suggestedName;
  path.resize(std::max<std::size_t>(path.size() + 1, MAX_PATH * 4), u'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = Handle();
  dialog.lpstrFilter = L"Erase record (*.json)\0*.json\0";
  dialog.lpstrFile = reinterpret_cast<wchar_t*>(path.data());
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrTitle = L"Save erase report";
  dialog.lpstrDefExt = L"json";
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameW(&dialog)) return {};
  return std::u16string(path.c_str());
}

std::u16string MainFrame::WriteCertificate(const Json& record, const std::u16string& pdfPath) {
  return certificate::WriteCertificateFile(record, pdfPath);
}

void MainFrame::SetBarPosition(int position) { SendMessageW(pbCurrentTask_, PBM_SETPOS, position, 0); }

void MainFrame::SetBarState(ProgressState state) {
  progressState_ = state;
  SendMessageW(pbCurrentTask_, PBM_SETSTATE, ProgressStateCode(state), 0);
}

void MainFrame::SetRunFiguresText(const std::u16string& text) { SetWindowTextW(lbRunFigures_, Wide(text)); }

void MainFrame::SetWindowTitle(const std::u16string& title) { SetWindowTextW(Handle(), Wide(title)); }

// The task bar button flashes until the window comes to the front.
void MainFrame::AskForAttention() {
  FLASHWINFO flash{sizeof flash, Handle(), FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
  FlashWindowEx(&flash);
}

WindowHandle MainFrame::LabelOf(FormatLabel label) const {
  switch (label) {
    case FormatLabel::CurrentPercent: return lbCurrentPercent_;
    case FormatLabel::CurrentPosition: return lbCurrentPosition_;
    case FormatLabel::Speed: return lbSpeed_;
  }
  return lbCurrentPercent_;
}

void MainFrame::SetLabelText(FormatLabel label, const std::u16string& text) {
  SetWindowTextW(LabelOf(label), Wide(text));
}

std::u16string MainFrame::LabelText(FormatLabel label) { return WindowText(LabelOf(label)); }

void MainFrame::SetControlEnabled(FormatControl control, bool enabled) {
  HWND handle = nullptr;
  switch (control) {
    case FormatControl::RunBenchmarks: handle = btRunBenchmarks_; break;
    case FormatControl::GetSmart: handle = btGetSmart_; break;
    case FormatControl::QuickWipe: handle = cbQuickWipe_; break;
    case FormatControl::Stop: handle = btStop_; break;
    case FormatControl::Verify: handle = cbVerify_; break;
  }
  EnableWindow(handle, enabled ? TRUE : FALSE);
}

bool MainFrame::QuickWipeChecked() { return SendMessageW(cbQuickWipe_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void MainFrame::FocusStop() { FocusControl(btStop_); }

// The write loop keeps the thread: paint, the Stop button and a close
// request run here, through the window's keyboard handling like any other
// message. A quit request is left for the loop that waits for it.
void MainFrame::ProcessPendingMessages() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    Deliver(message);
  }
}

void MainFrame::CloseWindow() {
  if (Handle() != nullptr) SendMessageW(Handle(), WM_CLOSE, 0, 0);
}

WindowHandle MainFrame::ControlHandle(Control control) const {
  switch (control) {
    case Control::RunBenchmarks: return btRunBenchmarks_;
    case Control::Stop: return btStop_;
    case Control::SaveReport: return btSaveReport_;
    case Control::GetSmart: return btGetSmart_;
    case Control::QuickWipe: return cbQuickWipe_;
    case Control::Verify: return cbVerify_;
    case Control::DiskName: return lbDiskName_;
    case Control::RunFigures: return lbRunFigures_;
    case Control::ChooseAnother: return btChooseAnother_;
    case Control::Method: return cbMethod_;
    case Control::Operator: return edOperator_;
    case Control::Organisation: return edOrganisation_;
    case Control::AssetTag: return edAssetTag_;
    case Control::SystemDisk: return cbSystemDisk_;
    case Control::ChoiceNote: return lbChoiceNote_;
  }
  return nullptr;
}

}  // namespace orvella::win32ui
