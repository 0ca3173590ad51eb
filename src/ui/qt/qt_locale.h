// The user's locale as Qt knows it: the short date, the long time (without
// a time zone, as log stamps want it) and the decimal point.
#pragma once

#include <QLocale>

#include "core/locale.h"

namespace orvella::qt {

class QtLocale final : public Locale {
 public:
  explicit QtLocale(QLocale locale = QLocale::system());
  std::u16string ShortDate(const LocalDateTime& time) override;
  std::u16string LongTime(const LocalDateTime& time) override;
  char16_t DecimalSeparator() override;

 private:
  QLocale locale_;
  QString longTimeFormat_;
};

}  // namespace orvella::qt
