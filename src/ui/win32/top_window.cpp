#include "ui/win32/top_window.h"

#include <algorithm>
#include <vector>

#include "ui/win32/gui.h"

namespace orvella::win32ui {
namespace {

constexpr int kProgramIcon = 1;  // the icon resource of the executables

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  auto* object = reinterpret_cast<TopWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (object == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return object->Dispatch(window, message, wParam, lParam);
}

void RegisterOnce(const wchar_t* className) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), className, &existing)) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hIcon = LoadIconW(windowClass.hInstance, MAKEINTRESOURCEW(kProgramIcon));
  if (windowClass.hIcon == nullptr) windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = className;
  RegisterClassExW(&windowClass);
}

struct DisabledWindows {
  HWND modal;
  std::vector<HWND> windows;
};

BOOL CALLBACK DisableOther(HWND window, LPARAM data) {
  auto* disabled = reinterpret_cast<DisabledWindows*>(data);
  if (window != disabled->modal && IsWindowVisible(window) && IsWindowEnabled(window)) {
    EnableWindow(window, FALSE);
    disabled->windows.push_back(window);
  }
  return TRUE;
}

}  // namespace

TopWindow::TopWindow(const WindowShape& shape) : shape_(shape) {
  RegisterOnce(shape.className);
  const bool resizable = shape.minimumWidth > 0;
  const DWORD style = (resizable ? WS_OVERLAPPEDWINDOW : WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU) | WS_CLIPCHILDREN;
  const DWORD extendedStyle = WS_EX_CONTROLPARENT | (resizable ? 0 : WS_EX_DLGMODALFRAME);
  SetLastError(ERROR_SUCCESS);  // a refusal need not set a code of its own
  CreateWindowExW(extendedStyle, shape.className, L"", style, CW_USEDEFAULT, CW_USEDEFAULT, shape.clientWidth,
                  shape.clientHeight, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) {
    creationError_ = GetLastError();
    return;
  }
  dpi_ = GetDpiForWindow(window_);
  // The client area of the design at this resolution, shrunk to the work
  // area of a small screen, in the middle of it.
  RECT frame{0, 0, Px(shape.clientWidth), Px(shape.clientHeight)};
  AdjustWindowRectExForDpi(&frame, style, FALSE, extendedStyle, dpi_);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  const int width = std::min<int>(frame.right - frame.left, work.right - work.left);
  const int height = std::min<int>(frame.bottom - frame.top, work.bottom - work.top);
  SetWindowPos(window_, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

TopWindow::~TopWindow() {
  ready_ = false;
  if (window_ != nullptr) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

int TopWindow::Px(int pixels) const { return Scaled(pixels, dpi_); }

void TopWindow::Ready() {
  ready_ = true;
  LayoutNow();
}

void TopWindow::LayoutNow() {
  RECT client{};
  GetClientRect(window_, &client);
  Layout(client.right, client.bottom);
}

WindowHandle TopWindow::AddControl(const wchar_t* className, const std::u16string& text, unsigned long style, int id,
                                   unsigned long extendedStyle) {
  return CreateWindowExW(extendedStyle, className, Wide(text), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, window_,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

std::intptr_t TopWindow::Dispatch(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (window_ == nullptr && message != WM_NCDESTROY) window_ = window;
  switch (message) {
    case WM_GETMINMAXINFO:
      if (shape_.minimumWidth > 0) {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = {Px(shape_.minimumWidth), Px(shape_.minimumHeight)};
      }
      return 0;
    case WM_NCDESTROY:
      window_ = nullptr;
      return DefWindowProcW(window, message, wParam, lParam);
    default: break;
  }
  if (ready_) {
    switch (message) {
      case WM_SIZE: Layout(LOWORD(lParam), HIWORD(lParam)); return 0;
      case WM_DPICHANGED: {
        dpi_ = HIWORD(wParam);
        DpiChanged();
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        LayoutNow();
        return 0;
      }
      case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
          HWND focus = GetFocus();
          if (focus != nullptr && IsChild(window, focus)) focus_ = focus;
        } else if (focus_ != nullptr && IsWindow(focus_)) {
          SetFocus(focus_);
        }
        return 0;
      case WM_SETFOCUS:
        if (focus_ != nullptr && IsWindow(focus_)) SetFocus(focus_);
        return 0;
      case DM_GETDEFID: {
        const int id = DefaultButton();
        return id != 0 ? MAKELRESULT(id, DC_HASDEFID) : 0;
      }
      default: break;
    }
    std::intptr_t result = 0;
    if (OnMessage(message, wParam, lParam, result)) return result;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void TopWindow::FocusControl(WindowHandle control) {
  focus_ = control;
  SetFocus(control);
}

bool TopWindow::PreTranslate(MSG&) { return false; }

void TopWindow::Deliver(MSG& message) {
  if (PreTranslate(message)) return;
  if (window_ != nullptr && IsDialogMessageW(window_, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

void TopWindow::RunModal(const std::function<bool()>& ended) {
  DisabledWindows disabled{window_, {}};
  EnumThreadWindows(GetCurrentThreadId(), DisableOther, reinterpret_cast<LPARAM>(&disabled));
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  MSG message{};
  while (window_ != nullptr && IsWindowVisible(window_) && !ended()) {
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for the loop outside
      break;
    }
    Deliver(message);
  }
  for (HWND window : disabled.windows) EnableWindow(window, TRUE);
  EndModal();
}

void TopWindow::EndModal() {
  if (window_ != nullptr) ShowWindow(window_, SW_HIDE);
}

}  // namespace orvella::win32ui
