#include "support/fakes.h"

#include <cstdio>

#include "core/text.h"

namespace orvella::test {
namespace {

std::u16string Format(const char* pattern, int a, int b, int c) {
  char out[32];
  std::snprintf(out, sizeof out, pattern, a, b, c);
  return Utf8ToText(out);
}

}  // namespace

std::u16string FakeLocale::ShortDate(const LocalDateTime& t) {
  return Format("%02d.%02d.%04d", t.day, t.month, t.year);
}

std::u16string FakeLocale::LongTime(const LocalDateTime& t) {
  return Format("%02d:%02d:%02d", t.hour, t.minute, t.second);
}

}  // namespace orvella::test
