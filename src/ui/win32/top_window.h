// A top-level window of the program: its window class registered once, its
// messages handed to the object, its controls laid out again whenever its
// size or resolution changes (per-monitor DPI), and a modal loop with the
// dialog keyboard: Tab between controls, Enter for the default button,
// Alt with a mnemonic.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct HWND__;
struct tagMSG;

namespace orvella::win32ui {

using WindowHandle = HWND__*;

struct WindowShape {
  const wchar_t* className;
  int clientWidth;  // at 96 dots per inch
  int clientHeight;
  // The smallest window, at 96 dots per inch; 0 for a window of fixed size.
  int minimumWidth = 0;
  int minimumHeight = 0;
};

class TopWindow {
 public:
  virtual ~TopWindow();
  TopWindow(const TopWindow&) = delete;
  TopWindow& operator=(const TopWindow&) = delete;

  // Null once the window has been destroyed, or when it could not be
  // created.
  WindowHandle Handle() const { return window_; }
  // The error code the system left when the window could not be created
  // (0: none); 0 for a window that was.
  std::uint32_t CreationError() const { return creationError_; }
  unsigned Dpi() const { return dpi_; }
  // A length of the design (96 dots per inch) at the window's resolution.
  int Px(int pixels) const;

  // Shows the window over the program's other windows, which cannot be used
  // meanwhile, and returns once it is hidden or `ended` says the program
  // has ended.
  void RunModal(const std::function<bool()>& ended);
  // Hides a modal window, which ends its loop.
  void EndModal();

  // Keys the window handles itself before the dialog keyboard sees them;
  // true when the message was used.
  virtual bool PreTranslate(tagMSG& message);
  // Runs one message through the window's keyboard handling and on to its
  // destination.
  void Deliver(tagMSG& message);

  // Called by the window procedure.
  std::intptr_t Dispatch(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

 protected:
  // Creates the window hidden, centred on the screen that holds the mouse.
  explicit TopWindow(const WindowShape& shape);

  // The derived window is complete: its messages reach OnMessage from now on.
  void Ready();
  WindowHandle AddControl(const wchar_t* className, const std::u16string& text, unsigned long style, int id,
                          unsigned long extendedStyle = 0);
  // Gives a control the keyboard focus, and gives it back to it whenever
  // the window is activated again.
  void FocusControl(WindowHandle control);
  // The control that Enter presses (0: none).
  virtual int DefaultButton() { return 0; }
  // Places the controls in a client area of that many pixels.
  virtual void Layout(int width, int height) = 0;
  // The resolution has changed: fonts are made again before the next layout.
  virtual void DpiChanged() {}
  // The window's own messages; true when handled, with the result set.
  virtual bool OnMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t& result) = 0;
  void LayoutNow();

 private:
  WindowShape shape_;
  WindowHandle window_ = nullptr;
  unsigned dpi_ = 96;
  WindowHandle focus_ = nullptr;
  bool ready_ = false;
  std::uint32_t creationError_ = 0;
};

}  // namespace orvella::win32ui
