// A label that acts as a link: hand cursor, its own text colour, and the
// mouse events the window logic handles (press, release, click, enter,
// leave) taken from the static control it wraps.
#pragma once

#include <functional>

#include "app/desktop.h"
#include "ui/win32/top_window.h"

namespace orvella::win32ui {

struct LinkEvents {
  std::function<void()> clicked;
  std::function<void(MouseButton)> pressed;
  std::function<void(MouseButton)> released;
  std::function<void()> entered;
  std::function<void()> left;
};

class LinkLabel {
 public:
  LinkLabel() = default;
  LinkLabel(const LinkLabel&) = delete;
  LinkLabel& operator=(const LinkLabel&) = delete;
  ~LinkLabel();

  // Takes over the static control `label` (made with SS_NOTIFY).
  void Attach(WindowHandle label, LinkEvents events);
  WindowHandle Handle() const { return label_; }
  Rgb Colour() const { return colour_; }
  void SetColour(Rgb colour);

  // The label's message, seen before the static control's own handling.
  bool OnMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

 private:
  WindowHandle label_ = nullptr;
  LinkEvents events_;
  Rgb colour_;
  bool tracking_ = false;  // the mouse is over the label
};

}  // namespace orvella::win32ui
