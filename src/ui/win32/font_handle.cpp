#include "ui/win32/font_handle.h"

#include "ui/win32/gui.h"

namespace orvella::win32ui {
namespace {

// The screen's resolution, for the fonts that belong to no window yet.
unsigned ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<unsigned>(dpi) : 96;
}

int CALLBACK NoteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

}  // namespace

FontHandle::FontHandle(const FontSpec& spec, unsigned dpi, bool fixedPitch) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(spec.pointSize, static_cast<int>(dpi), 72);
  font.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = spec.italic ? TRUE : FALSE;
  font.lfUnderline = spec.underline ? TRUE : FALSE;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = CLEARTYPE_QUALITY;
  if (fixedPitch) font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  const std::u16string name = spec.name.substr(0, LF_FACESIZE - 1);
  name.copy(reinterpret_cast<char16_t*>(font.lfFaceName), name.size());
  font_ = CreateFontIndirectW(&font);
}

FontHandle::~FontHandle() {
  if (font_ != nullptr) DeleteObject(font_);
}

FontHandle& FontHandle::operator=(FontHandle&& other) noexcept {
  if (this != &other) {
    if (font_ != nullptr) DeleteObject(font_);
    font_ = other.font_;
    other.font_ = nullptr;
  }
  return *this;
}

FontSpec SpecOf(const LOGFONTW& font, unsigned dpi) {
  FontSpec spec;
  spec.name = FromWide(font.lfFaceName);
  const int height = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
  spec.pointSize = height > 0 ? MulDiv(height, 72, static_cast<int>(dpi)) : 9;
  spec.bold = font.lfWeight >= FW_BOLD;
  spec.italic = font.lfItalic != 0;
  spec.underline = font.lfUnderline != 0;
  return spec;
}

std::optional<FontSpec> Win32SystemFonts::IconTitleFont() {
  LOGFONTW font{};
  if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0)) return std::nullopt;
  return SpecOf(font, ScreenDpi());
}

FontSpec Win32SystemFonts::DefaultGuiFont() {
  LOGFONTW font{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  return SpecOf(font, ScreenDpi());
}

bool Win32SystemFonts::IsFontInstalled(const std::u16string& family) {
  if (family.empty() || family.size() >= LF_FACESIZE) return false;
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  family.copy(reinterpret_cast<char16_t*>(wanted.lfFaceName), family.size());
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &wanted, NoteFamily, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

}  // namespace orvella::win32ui
