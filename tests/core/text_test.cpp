#include "core/text.h"

#include <gtest/gtest.h>

namespace orvella {
namespace {

TEST(IntToStr, WritesPlainDecimalWithSignAndExtremes) {
  EXPECT_EQ(IntToStr(0), u"0");
  EXPECT_EQ(IntToStr(-42), u"-42");
  EXPECT_EQ(IntToStr(INT64_MIN), u"-9223372036854775808");
  EXPECT_EQ(UIntToStr(UINT64_MAX), u"18446744073709551615");
}

TEST(Trim, RemovesControlCharactersAndBlanksAtBothEndsOnly) {
  EXPECT_EQ(Trim(std::u16string(u"\0 \t a b \x1f\0", 10)), u"a b");
  EXPECT_EQ(Trim(u"    "), u"");
  EXPECT_EQ(Trim(std::u16string(u"a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(Utf8, RoundTripsAcrossThePlanes) {
  const std::u16string text = u"Größe \u20ac \U0001F4BE";
  EXPECT_EQ(Utf8ToText(TextToUtf8(text)), text);
  EXPECT_EQ(Utf8ToText("ab\xC3"), u"ab\uFFFD");  // cut-off sequence
}

}  // namespace
}  // namespace orvella
