#include "ui/qt/qt_text.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace orvella::qt {

void CentreOnScreen(QWidget& window) {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    window.move(screen->availableGeometry().center() - window.rect().center());
  }
}

void SetTextColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  widget->setPalette(palette);
}

QFont ToQFont(const FontSpec& spec) {
  QFont font(ToQt(spec.name), spec.pointSize);
  font.setBold(spec.bold);
  font.setItalic(spec.italic);
  font.setUnderline(spec.underline);
  return font;
}

FontSpec FromQFont(const QFont& font) {
  FontSpec spec;
  spec.name = FromQt(font.family());
  spec.pointSize = static_cast<int>(std::lround(font.pointSizeF()));
  spec.bold = font.bold();
  spec.italic = font.italic();
  spec.underline = font.underline();
  return spec;
}

}  // namespace orvella::qt
