#include "ui/win32/debug_window.h"

#include "ui/win32/gui.h"
#include "ui/win32/memo.h"

namespace orvella::win32ui {
namespace {

constexpr int kMemo1 = 100;
const FontSpec kMemoFont{u"Tahoma", 8};

}  // namespace

DebugWindow::DebugWindow(std::function<bool()> ended)
    : TopWindow({L"TFmDebug", 635, 337}), ended_(std::move(ended)) {
  SetWindowTextW(Handle(), L"Debug");
  memo1_ = AddMemo(Handle(), kMemo1, WS_VSCROLL | WS_HSCROLL, true);
  SetWindowTextW(memo1_, L"Debug window");
  DpiChanged();
  Ready();
}

void DebugWindow::DpiChanged() {
  memoFont_ = FontHandle(kMemoFont, Dpi());
  SendMessageW(memo1_, WM_SETFONT, reinterpret_cast<WPARAM>(memoFont_.Get()), TRUE);
}

void DebugWindow::Layout(int width, int height) { MoveWindow(memo1_, 0, 0, width, height, TRUE); }

bool DebugWindow::OnMessage(unsigned message, std::uintptr_t, std::intptr_t, std::intptr_t& result) {
  if (message != WM_CLOSE) return false;
  EndModal();  // the window is only ever hidden; its memo keeps the log
  result = 0;
  return true;
}

void DebugWindow::ShowModeless() {
  ShowWindow(Handle(), SW_SHOW);
  UpdateWindow(Handle());
}

void DebugWindow::Close() { EndModal(); }

void DebugWindow::ShowModal() { RunModal(ended_); }

}  // namespace orvella::win32ui
