#include "ui/qt/qt_text.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace orvella::qt {

void CentreOnScreen(QWidget& window) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  // Room for the frame the window manager adds.
  const QSize room = area.size() - QSize(16, 48);
  window.resize(window.size().boundedTo(room).expandedTo(window.minimumSize()));
  window.move(area.center() - window.rect().center());
}

void SetTextColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  widget->setPalette(palette);
}

bool IsDarkTheme(const QWidget* widget) { return widget->palette().color(QPalette::Window).lightness() < 128; }

QColor LinkColour(const QWidget* widget, Rgb colour) {
  if (!IsDarkTheme(widget)) return ToQColor(colour);
  if (colour == kLinkBlue) return widget->palette().color(QPalette::Link);
  if (colour == kNoticeGrey) return widget->palette().color(QPalette::PlaceholderText);
  return ToQColor(colour);
}

void PaintAsBase(QWidget* band) {
  band->setAutoFillBackground(true);
  QPalette palette = band->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Base));
  palette.setColor(QPalette::WindowText, palette.color(QPalette::Text));
  band->setPalette(palette);
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
