#include "ui/win32/choose_window.h"

#include <algorithm>
#include <array>

#include "core/program.h"
#include "ui/win32/gui.h"

namespace orvella::win32ui {
namespace {

constexpr int kClientWidth = 767;
constexpr int kClientHeight = 356;
constexpr int kHeaderHeight = 44;
constexpr int kMargin = 10;

enum ControlId {
  kProgramName = 100,
  kWebAddress,
  kSeparator,
  kDriveList,
  kDiskManagement,
  kLabel2,
  kContinue,
  kCopyright,
  kUnopened,
  kStartAsAdministrator,
  kStatusBar,
};

std::u16string UpperWebAddress() {
  std::u16string address = kMakerWebAddress;
  for (char16_t& c : address) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return address;
}

}  // namespace

ChooseWindow::ChooseWindow(std::function<bool()> ended)
    : TopWindow({L"TFmChoose", kClientWidth, kClientHeight}), ended_(std::move(ended)) {
  CreateControls();
  AddColumns();
  DpiChanged();
  Ready();
}

void ChooseWindow::CreateControls() {
  lbProgramName_ = AddControl(L"STATIC", u"", SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX, kProgramName);
  label1_.Attach(AddControl(L"STATIC", UpperWebAddress(), SS_RIGHT | SS_CENTERIMAGE | SS_NOTIFY | SS_NOPREFIX,
                            kWebAddress),
                 {[this] { logic_->Label1Click(); }, [this](MouseButton b) { logic_->Label1MouseDown(b); },
                  [this](MouseButton b) { logic_->Label1MouseUp(b); }, {}, {}});
  separator_ = AddControl(L"STATIC", u"", SS_ETCHEDHORZ, kSeparator);
  driveList_ = AddControl(WC_LISTVIEWW, u"",
                          WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, kDriveList,
                          WS_EX_CLIENTEDGE);
  SendMessageW(driveList_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  listTheme_.Attach(driveList_);
  lbUnopened_ = AddControl(L"STATIC", u"", SS_LEFT | SS_NOPREFIX, kUnopened);
  ShowWindow(lbUnopened_, SW_HIDE);
  btStartAsAdministrator_ = AddControl(L"BUTTON", u"Start again as &administrator", WS_TABSTOP | BS_PUSHBUTTON,
                                       kStartAsAdministrator);
  ShowWindow(btStartAsAdministrator_, SW_HIDE);
  lbDiskManagement_.Attach(AddControl(L"STATIC", u"Open Disk Management Console", SS_RIGHT | SS_NOTIFY | SS_NOPREFIX,
                                      kDiskManagement),
                           {[this] { logic_->lbDiskManagementClick(); }, {}, {}, {}, {}});
  lbCopyright_ = AddControl(L"STATIC", u"", SS_LEFT | SS_NOPREFIX, kCopyright);
  label2_ = AddControl(L"STATIC", u"Please select a device", SS_RIGHT | SS_CENTERIMAGE, kLabel2);
  btContinue_ = AddControl(L"BUTTON", u"&Continue >>>", WS_TABSTOP | BS_DEFPUSHBUTTON, kContinue);
  EnableWindow(btContinue_, FALSE);
  statusBar_.Create(*this, kStatusBar, {});
}

void ChooseWindow::AddColumns() {
  for (std::size_t i = 0; i < kDriveListColumns.size(); ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(kDriveListColumns[i].caption));
    column.cx = Px(kDriveListColumns[i].width);
    SendMessageW(driveList_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
}

void ChooseWindow::Attach(TFmChoose& logic) { logic_ = &logic; }

void ChooseWindow::DpiChanged() {
  windowFont_ = FontHandle(font_, Dpi());
  FontSpec underlined = font_;
  underlined.underline = true;
  underlinedFont_ = FontHandle(underlined, Dpi());
  SetChildFonts(Handle(), windowFont_.Get());
  SendMessageW(lbDiskManagement_.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(underlinedFont_.Get()), TRUE);
  for (std::size_t i = 0; i < kDriveListColumns.size(); ++i) {
    SendMessageW(driveList_, LVM_SETCOLUMNWIDTH, i, Px(kDriveListColumns[i].width));
  }
  WidenPathColumn();
}

void ChooseWindow::Layout(int width, int height) {
  const int margin = Px(kMargin);
  const int header = Px(kHeaderHeight);
  MoveWindow(lbProgramName_, margin, 0, width / 2 - margin, header, TRUE);
  MoveWindow(label1_.Handle(), width / 2, 0, width / 2 - margin, header, TRUE);
  MoveWindow(separator_, 0, header, width, Px(2), TRUE);
  const int bottomTop = LayoutBottom(width, height - statusBar_.Layout(*this));
  int listBottom = bottomTop - margin;
  if (IsWindowVisible(lbUnopened_)) {
    const int rowHeight = Px(34);
    listBottom -= rowHeight + Px(6);
    const bool offer = IsWindowVisible(btStartAsAdministrator_);
    const int buttonWidth = offer ? Px(200) : 0;
    MoveWindow(lbUnopened_, margin, listBottom + Px(6), width - 2 * margin - buttonWidth - Px(6), rowHeight, TRUE);
    MoveWindow(btStartAsAdministrator_, width - margin - buttonWidth, listBottom + Px(6) + (rowHeight - Px(26)) / 2,
               buttonWidth, Px(26), TRUE);
  }
  const int listTop = header + Px(2) + margin;
  MoveWindow(driveList_, margin, listTop, width - 2 * margin, listBottom - listTop, TRUE);
  InvalidateRect(Handle(), nullptr, TRUE);
}

// The bottom area above `bottom`: the disk-management link over the row of
// the notice, Label2 and Continue. Returns the area's top.
int ChooseWindow::LayoutBottom(int width, int bottom) {
  const int margin = Px(kMargin);
  const int buttonTop = bottom - Px(8) - Px(kButtonHeight);
  const int buttonLeft = width - margin - Px(kButtonWidth);
  MoveWindow(btContinue_, buttonLeft, buttonTop, Px(kButtonWidth), Px(kButtonHeight), TRUE);
  MoveWindow(label2_, buttonLeft - Px(206), buttonTop, Px(200), Px(kButtonHeight), TRUE);
  MoveWindow(lbCopyright_, margin, buttonTop + Px(6), buttonLeft - Px(206) - 2 * margin, Px(18), TRUE);
  const int linkTop = buttonTop - Px(6) - Px(16);
  MoveWindow(lbDiskManagement_.Handle(), width - margin - Px(300), linkTop, Px(300), Px(16), TRUE);
  return linkTop;
}

int ChooseWindow::DefaultButton() { return kContinue; }

// Escape is the list's key: the dialog keyboard would make it a Cancel of
// the window, which has no Cancel button, so Escape elsewhere does nothing.
bool ChooseWindow::PreTranslate(MSG& message) {
  if (message.message != WM_KEYDOWN || message.wParam != VK_ESCAPE) return false;
  if (message.hwnd == driveList_) {
    logic_->DriveListKeyDown(kVirtualKeyEscape);
    return true;
  }
  return message.hwnd == Handle() || IsChild(Handle(), message.hwnd);
}

bool ChooseWindow::OnMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t& result) {
  switch (message) {
    case WM_COMMAND: return OnCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY:
      if (ListNotifyResult(reinterpret_cast<const void*>(lParam), result)) return true;
      return OnNotify(reinterpret_cast<const void*>(lParam));
    case WM_CTLCOLORSTATIC:
      result = ColourOf(reinterpret_cast<void*>(wParam), reinterpret_cast<HWND>(lParam));
      return true;
    case WM_ERASEBKGND: {
      // The header band is white, the rest the dialog colour.
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
      if (wParam != FALSE && logic_ != nullptr) logic_->FormShow();
      return false;
    case WM_CLOSE:
      if (logic_ != nullptr) logic_->FormClose();
      EndModal();
      return true;
    default: return false;
  }
}

bool ChooseWindow::OnCommand(int id, int code) {
  switch (id) {
    case kContinue:
      if (code == BN_CLICKED) logic_->btContinueClick();
      return true;
    case kStartAsAdministrator:
      if (code == BN_CLICKED) logic_->btStartAsAdministratorClick();
      return true;
    default: return false;
  }
}

bool ChooseWindow::OnNotify(const void* data) {
  const auto* header = static_cast<const NMHDR*>(data);
  if (header->hwndFrom != driveList_ || logic_ == nullptr) return false;
  switch (header->code) {
    case NM_CUSTOMDRAW: return false;  // answered in OnMessage, which can give a result
    case NM_CLICK: logic_->DriveListClick(); return true;
    case NM_DBLCLK: logic_->DriveListDblClick(); return true;
    case NM_RETURN: SendMessageW(btContinue_, BM_CLICK, 0, 0); return true;
    case LVN_KEYDOWN: logic_->DriveListKeyDown(reinterpret_cast<const NMLVKEYDOWN*>(data)->wVKey); return true;
    default: return false;
  }
}

// The rows of drives too small to be chosen are drawn in the grey of
// disabled text, and the list refuses to select them (the item's lParam
// says whether its drive may be chosen).
bool ChooseWindow::ListNotifyResult(const void* data, std::intptr_t& result) {
  const auto* header = static_cast<const NMHDR*>(data);
  if (header->hwndFrom != driveList_) return false;
  if (header->code == NM_CUSTOMDRAW) {
    const auto* draw = static_cast<const NMLVCUSTOMDRAW*>(data);
    result = CDRF_DODEFAULT;
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) result = CDRF_NOTIFYITEMDRAW;
    if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && draw->nmcd.lItemlParam == 0)
      const_cast<NMLVCUSTOMDRAW*>(draw)->clrText = GetSysColor(COLOR_GRAYTEXT);
    return true;
  }
  if (header->code == LVN_ITEMCHANGING) {
    const auto* change = static_cast<const NMLISTVIEW*>(data);
    result = (change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) && change->lParam == 0;
    return result != 0;
  }
  return false;
}

// The device path column is as wide as its longest path.
void ChooseWindow::WidenPathColumn() {
  const int pathColumn = static_cast<int>(kDriveListColumns.size()) - 2;
  int width = Px(kDriveListColumns[static_cast<std::size_t>(pathColumn)].width);
  wchar_t text[512];
  for (int row = 0; row < RowCount(); ++row) {
    LVITEMW item{};
    item.iSubItem = pathColumn;
    item.pszText = text;
    item.cchTextMax = 512;
    SendMessageW(driveList_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    const auto textWidth = SendMessageW(driveList_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text));
    width = std::max(width, static_cast<int>(textWidth) + Px(16));
  }
  SendMessageW(driveList_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(pathColumn), width);
}

// The header's labels stand on white; the links and the notice in their
// colours on the window's.
std::intptr_t ChooseWindow::ColourOf(void* deviceContext, WindowHandle control) {
  auto* dc = static_cast<HDC>(deviceContext);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  const auto colour = [dc](Rgb rgb) { SetTextColor(dc, ToColorRef(rgb.red, rgb.green, rgb.blue)); };
  if (control == label1_.Handle()) colour(label1_.Colour());
  if (control == lbDiskManagement_.Handle()) colour(lbDiskManagement_.Colour());
  if (control == lbCopyright_) colour(copyrightColour_);
  const bool inHeader = control == lbProgramName_ || control == label1_.Handle();
  return reinterpret_cast<std::intptr_t>(GetSysColorBrush(inHeader ? COLOR_WINDOW : COLOR_BTNFACE));
}

void ChooseWindow::SetCaption(const std::u16string& caption) { SetWindowTextW(Handle(), Wide(caption)); }

void ChooseWindow::SetFont(const FontSpec& font) {
  font_ = font;
  DpiChanged();
  LayoutNow();
}

void ChooseWindow::SetProgramName(const std::u16string& text) { SetWindowTextW(lbProgramName_, Wide(text)); }

void ChooseWindow::SetCopyright(const std::u16string& text) { SetWindowTextW(lbCopyright_, Wide(text)); }

void ChooseWindow::SetLinkColour(ChooseLink link, Rgb colour) {
  switch (link) {
    case ChooseLink::WebAddress: label1_.SetColour(colour); break;
    case ChooseLink::DiskManagement: lbDiskManagement_.SetColour(colour); break;
    case ChooseLink::Copyright:
      copyrightColour_ = colour;
      InvalidateRect(lbCopyright_, nullptr, TRUE);
      break;
  }
}

Rgb ChooseWindow::LinkColour(ChooseLink link) const {
  switch (link) {
    case ChooseLink::WebAddress: return label1_.Colour();
    case ChooseLink::DiskManagement: return lbDiskManagement_.Colour();
    case ChooseLink::Copyright: break;
  }
  return copyrightColour_;
}

void ChooseWindow::SetSimpleStatusText(const std::u16string& text) { statusBar_.SetSimpleText(text); }

void ChooseWindow::ClearRows() { SendMessageW(driveList_, LVM_DELETEALLITEMS, 0, 0); }

void ChooseWindow::AppendRow(const DriveListLine& line) {
  const auto cells = DriveListCells(line);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = RowCount();
  item.pszText = const_cast<wchar_t*>(Wide(cells[0]));
  item.lParam = line.choosable ? 1 : 0;
  const auto index = SendMessageW(driveList_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  for (std::size_t cell = 1; cell < cells.size(); ++cell) {
    LVITEMW sub{};
    sub.iSubItem = static_cast<int>(cell);
    sub.pszText = const_cast<wchar_t*>(Wide(cells[cell]));
    SendMessageW(driveList_, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&sub));
  }
  WidenPathColumn();
}

int ChooseWindow::RowCount() { return static_cast<int>(SendMessageW(driveList_, LVM_GETITEMCOUNT, 0, 0)); }

int ChooseWindow::SelectedRow() {
  return static_cast<int>(SendMessageW(driveList_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

// The preselected last drive may lie below the visible rows: it is
// scrolled into view.
void ChooseWindow::SelectRow(int row) {
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = 0;
  SendMessageW(driveList_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  if (row < 0 || row >= RowCount()) return;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(driveList_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
  SendMessageW(driveList_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void ChooseWindow::FocusDriveList() { FocusControl(driveList_); }

void ChooseWindow::SetContinueEnabled(bool enabled) { EnableWindow(btContinue_, enabled ? TRUE : FALSE); }

void ChooseWindow::SetUnopenedNote(const std::u16string& text) {
  SetWindowTextW(lbUnopened_, Wide(text));
  ShowWindow(lbUnopened_, text.empty() ? SW_HIDE : SW_SHOW);
  LayoutNow();
}

void ChooseWindow::ShowAdministratorOffer(bool shown) {
  ShowWindow(btStartAsAdministrator_, shown ? SW_SHOW : SW_HIDE);
  LayoutNow();
}

void ChooseWindow::ShowModal() { RunModal(ended_); }

void ChooseWindow::Close() { SendMessageW(Handle(), WM_CLOSE, 0, 0); }

}  // namespace orvella::win32ui
