// <windows.h> and the common controls for the sources of this folder, with
// the small conversions every window needs. As in the Windows backend, no
// header of this folder includes it: a source includes the program's
// headers first and this one last, because <windows.h> defines names the
// program uses (IDOK, IDCANCEL, MessageBox, min, max) as macros.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

// Dialogs::MessageBox is a method of the program; the Win32 call is named
// MessageBoxW wherever it is meant.
#undef MessageBox

#include <cstdint>
#include <string>

namespace orvella::win32ui {

// wchar_t is UTF-16 on Windows, as the program's texts are.
static_assert(sizeof(wchar_t) == sizeof(char16_t));
inline const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline std::u16string FromWide(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }

inline std::u16string WindowText(HWND window) {
  std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(window)), u'\0');
  if (!text.empty()) GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()), static_cast<int>(text.size()) + 1);
  return text;
}

// A length in pixels at 96 dots per inch, at the window's resolution.
inline int Scaled(int pixels, unsigned dpi) { return MulDiv(pixels, static_cast<int>(dpi), 96); }

inline COLORREF ToColorRef(std::uint8_t red, std::uint8_t green, std::uint8_t blue) { return RGB(red, green, blue); }

}  // namespace orvella::win32ui
