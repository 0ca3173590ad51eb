// Multi-line edit controls as the program's memos: one line appended at a
// time, and the lines read back.
#pragma once

#include <string>
#include <vector>

#include "core/log_panes.h"
#include "ui/win32/top_window.h"

namespace orvella::win32ui {

// Creates a memo of `window`: no word wrap, scroll bars as `scrollBars`
// (WS_VSCROLL, WS_HSCROLL), read-only unless `editable`.
WindowHandle AddMemo(WindowHandle window, int id, unsigned long scrollBars, bool editable);

void AppendLine(WindowHandle memo, const std::u16string& line);
std::vector<std::u16string> MemoLines(WindowHandle memo);
// Scrolls the memo so that its line `line` is the first one shown.
void ShowFromLine(WindowHandle memo, int line);
int LineCount(WindowHandle memo);

// The four log panes as the windows' memos. The walk writes the debug log
// without letting messages run, so the debug memo repaints itself after
// each line while its window is visible.
class MemoPanes final : public LogPanes {
 public:
  MemoPanes(WindowHandle formatLog, WindowHandle debugLog, WindowHandle details, WindowHandle smart)
      : formatLog_(formatLog), debugLog_(debugLog), details_(details), smart_(smart) {}

  void AppendFormatLog(const std::u16string& line) override { AppendLine(formatLog_, line); }
  void AppendDebugLog(const std::u16string& line) override;
  void AppendDetails(const std::u16string& line) override { AppendLine(details_, line); }
  void AppendSmart(const std::u16string& line) override { AppendLine(smart_, line); }

 private:
  WindowHandle formatLog_;
  WindowHandle debugLog_;
  WindowHandle details_;
  WindowHandle smart_;
};

}  // namespace orvella::win32ui
