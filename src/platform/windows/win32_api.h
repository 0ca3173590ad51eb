// <windows.h> for the sources of this folder, included after every seam
// header (see win32_os.h), with the conversions between the seam's types
// and the Win32 ones.
#pragma once

#include <windows.h>

#include <string>

#include "platform/os.h"

namespace orvella::win32 {

inline HANDLE ToWin32(Handle handle) { return reinterpret_cast<HANDLE>(handle); }
inline Handle FromWin32(HANDLE handle) { return reinterpret_cast<Handle>(handle); }

// wchar_t is UTF-16 on Windows, as the seam's texts are.
static_assert(sizeof(wchar_t) == sizeof(char16_t));
inline const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline std::u16string Text(const wchar_t* wide, std::size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(wide), length);
}

}  // namespace orvella::win32
