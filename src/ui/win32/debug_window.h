// The debug window TFmDebug: one editable memo, Memo1, filling it, that
// receives the debug log and starts with the line "Debug window".
#pragma once

#include <functional>

#include "app/main_view.h"
#include "ui/win32/font_handle.h"
#include "ui/win32/top_window.h"

namespace orvella::win32ui {

class DebugWindow final : public TopWindow, public DebugView {
 public:
  // `ended` tells a modal show that the program has ended.
  explicit DebugWindow(std::function<bool()> ended);
  WindowHandle Memo() const { return memo1_; }

  void ShowModeless() override;
  void Close() override;
  void ShowModal() override;

 private:
  void Layout(int width, int height) override;
  void DpiChanged() override;
  bool OnMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t& result) override;

  std::function<bool()> ended_;
  WindowHandle memo1_;
  FontHandle memoFont_;
};

}  // namespace orvella::win32ui
