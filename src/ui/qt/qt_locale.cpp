#include "ui/qt/qt_locale.h"

#include <QDate>
#include <QTime>

#include "ui/qt/qt_text.h"

namespace orvella::qt {
namespace {

// Qt's long time format names the time zone ("t" outside quoted text);
// stamps leave it out.
QString WithoutTimeZone(const QString& format) {
  QString kept;
  bool quoted = false;
  for (const QChar c : format) {
    if (c == u'\'') quoted = !quoted;
    if (c == u't' && !quoted) continue;
    kept += c;
  }
  return kept.simplified();
}

}  // namespace

QtLocale::QtLocale(QLocale locale)
    : locale_(std::move(locale)), longTimeFormat_(WithoutTimeZone(locale_.timeFormat(QLocale::LongFormat))) {}

std::u16string QtLocale::ShortDate(const LocalDateTime& time) {
  return FromQt(locale_.toString(QDate(time.year, time.month, time.day), QLocale::ShortFormat));
}

std::u16string QtLocale::LongTime(const LocalDateTime& time) {
  return FromQt(locale_.toString(QTime(time.hour, time.minute, time.second), longTimeFormat_));
}

char16_t QtLocale::DecimalSeparator() {
  const QString point = locale_.decimalPoint();
  return point.isEmpty() ? u'.' : point.at(0).unicode();
}

}  // namespace orvella::qt
