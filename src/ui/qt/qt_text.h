// Conversions between the program's values and Qt's at the widget edge.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <string>

#include "app/desktop.h"

namespace orvella::qt {

inline QString ToQt(const std::u16string& text) { return QString::fromStdU16String(text); }
inline std::u16string FromQt(const QString& text) { return text.toStdU16String(); }

inline QColor ToQColor(Rgb colour) { return QColor(colour.red, colour.green, colour.blue); }

// Shrinks a window that is larger than the screen's free area (a small
// screen, a large scale) to fit it, and places it in the middle.
void CentreOnScreen(QWidget& window);

// The colour of a label's text.
void SetTextColour(QWidget* widget, const QColor& colour);

// Whether the widget's theme draws light text on a dark window.
bool IsDarkTheme(const QWidget* widget);

// The colour a link of the window logic asks for, as the widget's theme
// shows it readably: the logic's colours in a light theme; in a dark one
// the theme's own link colour for the blue and its dimmed text for the grey.
QColor LinkColour(const QWidget* widget, Rgb colour);

// Sets a header band of a window to the theme's base colour (white in a
// light theme), with the text colour that goes on it.
void PaintAsBase(QWidget* band);

QFont ToQFont(const FontSpec& spec);
FontSpec FromQFont(const QFont& font);

}  // namespace orvella::qt
