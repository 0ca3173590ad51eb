#include "ui/win32/memo.h"

#include "ui/win32/gui.h"

namespace orvella::win32ui {

WindowHandle AddMemo(WindowHandle window, int id, unsigned long scrollBars, bool editable) {
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                      ES_NOHIDESEL | scrollBars | (editable ? 0 : ES_READONLY);
  HWND memo = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", style, 0, 0, 0, 0, window,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  // The edit control's own limit of 30000 characters would cut a long log.
  SendMessageW(memo, EM_SETLIMITTEXT, 0, 0);
  return memo;
}

// A line goes after the last one, on a line of its own, like a memo's
// Lines.Add; the caret stays at the end so that the newest line shows.
void AppendLine(WindowHandle memo, const std::u16string& line) {
  const int length = GetWindowTextLengthW(memo);
  const std::u16string text = length > 0 ? u"\r\n" + line : line;
  SendMessageW(memo, EM_SETSEL, length, length);
  SendMessageW(memo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Wide(text)));
}

std::vector<std::u16string> MemoLines(WindowHandle memo) {
  std::vector<std::u16string> lines;
  if (GetWindowTextLengthW(memo) == 0) return lines;
  const std::u16string text = WindowText(memo);
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(u"\r\n", start)) != std::u16string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  lines.push_back(text.substr(start));
  return lines;
}

int LineCount(WindowHandle memo) {
  return GetWindowTextLengthW(memo) == 0 ? 0 : static_cast<int>(SendMessageW(memo, EM_GETLINECOUNT, 0, 0));
}

void ShowFromLine(WindowHandle memo, int line) {
  const auto start = SendMessageW(memo, EM_LINEINDEX, line, 0);
  SendMessageW(memo, EM_SETSEL, start, start);
  const auto first = SendMessageW(memo, EM_GETFIRSTVISIBLELINE, 0, 0);
  SendMessageW(memo, EM_LINESCROLL, 0, line - first);
}

void MemoPanes::AppendDebugLog(const std::u16string& line) {
  AppendLine(debugLog_, line);
  if (IsWindowVisible(debugLog_)) UpdateWindow(debugLog_);
}

}  // namespace orvella::win32ui
