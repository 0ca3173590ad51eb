// The common controls of the windows as the logic needs them: the status
// bar (panels or one simple text), the list view's explorer theme.
#pragma once

#include <string>
#include <vector>

#include "app/vista_funcs.h"
#include "ui/win32/top_window.h"

namespace orvella::win32ui {

struct StatusPanel {
  int width;  // at 96 dots per inch
  bool alignRight;
};

class StatusBar {
 public:
  void Create(TopWindow& window, int id, std::vector<StatusPanel> panels);
  WindowHandle Handle() const { return bar_; }
  // Places the bar at the bottom edge and returns its height.
  int Layout(TopWindow& window);
  void SetPanelText(int panel, const std::u16string& text);
  void SetSimpleText(const std::u16string& text);
  // What a panel shows; -1 for the simple text of a bar in simple mode.
  std::u16string Text(int panel) const;

 private:
  WindowHandle bar_ = nullptr;
  std::vector<StatusPanel> panels_;
};

// A control whose drawing theme is set through uxtheme's SetWindowTheme,
// looked up by name, so that the program runs where the theme library is
// missing.
class ThemedControl final : public ThemableWindow {
 public:
  void Attach(WindowHandle control) { control_ = control; }
  void SetWindowTheme(const std::u16string& subAppName) override;
  // The last theme set; empty while none is.
  const std::u16string& Theme() const { return theme_; }

 private:
  WindowHandle control_ = nullptr;
  std::u16string theme_;
};

// uxtheme's SetWindowTheme, looked up by name; false where it is missing
// or refuses.
bool SetTheme(WindowHandle control, const wchar_t* subAppName, const wchar_t* subIdList);

// The control drawn without visual styles, in the dialog colour: so the
// tab control's pages match the controls laid on them.
void UseClassicLook(WindowHandle control);

// A push button of the design size 135 x 26 at the window's resolution.
inline constexpr int kButtonWidth = 135;
inline constexpr int kButtonHeight = 26;

// Gives every child of the window the font.
void SetChildFonts(WindowHandle window, void* font);

}  // namespace orvella::win32ui
