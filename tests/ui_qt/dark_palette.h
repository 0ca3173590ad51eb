// The dark palette the widget pictures and tests use: set role by role, as
// many dark palettes are, so every colour group (the disabled one too)
// gets the same colours.
#pragma once

#include <QColor>
#include <QPalette>

namespace orvella::test {

inline QPalette RoleByRoleDarkPalette() {
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(45, 45, 48));
  dark.setColor(QPalette::WindowText, QColor(220, 220, 220));
  dark.setColor(QPalette::Base, QColor(30, 30, 30));
  dark.setColor(QPalette::AlternateBase, QColor(45, 45, 48));
  dark.setColor(QPalette::Text, QColor(220, 220, 220));
  dark.setColor(QPalette::Button, QColor(60, 60, 64));
  dark.setColor(QPalette::ButtonText, QColor(220, 220, 220));
  dark.setColor(QPalette::Highlight, QColor(38, 110, 190));
  dark.setColor(QPalette::HighlightedText, Qt::white);
  dark.setColor(QPalette::Link, QColor(110, 170, 255));
  dark.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
  return dark;
}

}  // namespace orvella::test
