#include "ui/win32/controls.h"

#include "ui/win32/gui.h"

namespace orvella::win32ui {

void StatusBar::Create(TopWindow& window, int id, std::vector<StatusPanel> panels) {
  panels_ = std::move(panels);
  bar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window.Handle(),
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

int StatusBar::Layout(TopWindow& window) {
  SendMessageW(bar_, WM_SIZE, 0, 0);  // the bar places itself at the bottom
  if (!panels_.empty()) {
    std::vector<int> edges;
    int edge = 0;
    for (const StatusPanel& panel : panels_) edges.push_back(edge += window.Px(panel.width));
    edges.back() = -1;  // the last panel reaches the right edge
    SendMessageW(bar_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  }
  RECT bar{};
  GetWindowRect(bar_, &bar);
  return bar.bottom - bar.top;
}

// A tab before the text centres it, two right-align it.
void StatusBar::SetPanelText(int panel, const std::u16string& text) {
  const bool right = panels_.at(static_cast<std::size_t>(panel)).alignRight;
  const std::u16string shown = right ? u"\t\t" + text : text;
  SendMessageW(bar_, SB_SETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(Wide(shown)));
}

void StatusBar::SetSimpleText(const std::u16string& text) {
  SendMessageW(bar_, SB_SIMPLE, TRUE, 0);
  SendMessageW(bar_, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(Wide(text)));
}

std::u16string StatusBar::Text(int panel) const {
  // In simple mode the bar answers for part 0 with its simple text.
  const WPARAM part = panel < 0 ? 0 : static_cast<WPARAM>(panel);
  const auto length = LOWORD(SendMessageW(bar_, SB_GETTEXTLENGTHW, part, 0));
  std::u16string text(length, u'\0');
  SendMessageW(bar_, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
  const std::size_t start = text.find_first_not_of(u'\t');
  return start == std::u16string::npos ? std::u16string() : text.substr(start);
}

bool SetTheme(WindowHandle control, const wchar_t* subAppName, const wchar_t* subIdList) {
  using SetWindowThemeFunction = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
  HMODULE library = LoadLibraryW(L"uxtheme.dll");
  if (library == nullptr) return false;
  const auto function = reinterpret_cast<SetWindowThemeFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, "SetWindowTheme")));
  const bool set = function != nullptr && SUCCEEDED(function(control, subAppName, subIdList));
  FreeLibrary(library);
  return set;
}

void ThemedControl::SetWindowTheme(const std::u16string& subAppName) {
  if (SetTheme(control_, Wide(subAppName), nullptr)) theme_ = subAppName;
}

// A theme of a name that matches no class: the control draws itself as
// without visual styles.
void UseClassicLook(WindowHandle control) { SetTheme(control, L" ", L" "); }

namespace {

BOOL CALLBACK SetFontOf(HWND child, LPARAM font) {
  SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
  return TRUE;
}

}  // namespace

void SetChildFonts(WindowHandle window, void* font) {
  EnumChildWindows(window, SetFontOf, reinterpret_cast<LPARAM>(font));
}

}  // namespace orvella::win32ui
