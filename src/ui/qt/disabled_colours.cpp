#include "ui/qt/disabled_colours.h"

#include <QApplication>

namespace orvella::qt {
namespace {

QColor HalfWay(const QColor& from, const QColor& to) {
  return QColor((from.red() + to.red()) / 2, (from.green() + to.green()) / 2, (from.blue() + to.blue()) / 2);
}

}  // namespace

QPalette WithDimmedDisabledText(QPalette palette) {
  struct TextOn {
    QPalette::ColorRole text;
    QPalette::ColorRole background;
  };
  for (const TextOn pair : {TextOn{QPalette::ButtonText, QPalette::Button}, TextOn{QPalette::WindowText, QPalette::Window},
                            TextOn{QPalette::Text, QPalette::Base}}) {
    const QColor active = palette.color(QPalette::Active, pair.text);
    if (palette.color(QPalette::Disabled, pair.text) != active) continue;
    palette.setColor(QPalette::Disabled, pair.text,
                     HalfWay(active, palette.color(QPalette::Disabled, pair.background)));
  }
  return palette;
}

void DimDisabledTextOfApplication() {
  const QPalette current = QApplication::palette();
  const QPalette dimmed = WithDimmedDisabledText(current);
  if (dimmed != current) QApplication::setPalette(dimmed);
}

}  // namespace orvella::qt
