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

// Places a window in the middle of the screen.
void CentreOnScreen(QWidget& window);

// The colour of a label's text.
void SetTextColour(QWidget* widget, const QColor& colour);

QFont ToQFont(const FontSpec& spec);
FontSpec FromQFont(const QFont& font);

}  // namespace orvella::qt
