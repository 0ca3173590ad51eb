// GDI fonts of the windows: a font of the window logic (name, points,
// style) made at a window's resolution, owned and deleted with its object;
// and the system's font choices.
#pragma once

#include "app/desktop.h"

struct HFONT__;
struct tagLOGFONTW;

namespace orvella::win32ui {

class FontHandle {
 public:
  FontHandle() = default;
  // `fixedPitch` asks GDI for a fixed-pitch font where the named one is
  // missing, so that padded columns stay aligned.
  FontHandle(const FontSpec& spec, unsigned dpi, bool fixedPitch = false);
  ~FontHandle();
  FontHandle(FontHandle&& other) noexcept : font_(other.font_) { other.font_ = nullptr; }
  FontHandle& operator=(FontHandle&& other) noexcept;
  FontHandle(const FontHandle&) = delete;
  FontHandle& operator=(const FontHandle&) = delete;

  HFONT__* Get() const { return font_; }

 private:
  HFONT__* font_ = nullptr;
};

// A GDI font description in the logic's terms, its height read at `dpi`.
FontSpec SpecOf(const tagLOGFONTW& font, unsigned dpi);

// The icon-title font of SystemParametersInfoW, the stock DEFAULT_GUI_FONT,
// and the families installed for the screen.
class Win32SystemFonts final : public SystemFonts {
 public:
  std::optional<FontSpec> IconTitleFont() override;
  FontSpec DefaultGuiFont() override;
  bool IsFontInstalled(const std::u16string& family) override;
};

}  // namespace orvella::win32ui
