#include "ui/win32/link_label.h"

#include "ui/win32/gui.h"

namespace orvella::win32ui {
namespace {

constexpr UINT_PTR kSubclassId = 1;

LRESULT CALLBACK LabelProcedure(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  // A handled WM_SETCURSOR answers TRUE: the cursor is set.
  if (reinterpret_cast<LinkLabel*>(data)->OnMessage(message, wParam, lParam)) return TRUE;
  return DefSubclassProc(label, message, wParam, lParam);
}

void Notify(const std::function<void(MouseButton)>& handler, MouseButton button) {
  if (handler) handler(button);
}

void Notify(const std::function<void()>& handler) {
  if (handler) handler();
}

}  // namespace

LinkLabel::~LinkLabel() {
  if (label_ != nullptr && IsWindow(label_)) RemoveWindowSubclass(label_, LabelProcedure, kSubclassId);
}

void LinkLabel::Attach(WindowHandle label, LinkEvents events) {
  label_ = label;
  events_ = std::move(events);
  SetWindowSubclass(label_, LabelProcedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void LinkLabel::SetColour(Rgb colour) {
  colour_ = colour;
  InvalidateRect(label_, nullptr, TRUE);
}

bool LinkLabel::OnMessage(unsigned message, std::uintptr_t, std::intptr_t) {
  switch (message) {
    case WM_SETCURSOR: SetCursor(LoadCursorW(nullptr, IDC_HAND)); return true;
    case WM_LBUTTONDOWN: Notify(events_.pressed, MouseButton::Left); return false;
    case WM_RBUTTONDOWN: Notify(events_.pressed, MouseButton::Right); return false;
    case WM_MBUTTONDOWN: Notify(events_.pressed, MouseButton::Middle); return false;
    case WM_LBUTTONUP:
      Notify(events_.clicked);
      Notify(events_.released, MouseButton::Left);
      return false;
    case WM_RBUTTONUP: Notify(events_.released, MouseButton::Right); return false;
    case WM_MBUTTONUP: Notify(events_.released, MouseButton::Middle); return false;
    case WM_MOUSEMOVE:
      if (!tracking_) {
        tracking_ = true;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, label_, 0};
        TrackMouseEvent(&track);
        Notify(events_.entered);
      }
      return false;
    case WM_MOUSELEAVE:
      tracking_ = false;
      Notify(events_.left);
      return false;
    default: return false;
  }
}

}  // namespace orvella::win32ui
