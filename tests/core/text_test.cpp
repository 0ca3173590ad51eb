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

bool IsValidUtf8(const std::string& bytes) { return TextToUtf8(Utf8ToText(bytes)) == bytes; }

// Ill-formed UTF-8 (stray continuation bytes, overlong forms, encoded
// surrogates, code points past U+10FFFF) gives U+FFFD for each bad byte and
// never a lone surrogate.
TEST(Utf8, EveryIllFormedByteBecomesAReplacementCharacter) {
  EXPECT_EQ(Utf8ToText("a\x80" "b"), u"a\uFFFDb");
  EXPECT_EQ(Utf8ToText("\xC0\xAF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToText("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToText("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToText("\xE2\x82x"), u"\uFFFD\uFFFDx");
  EXPECT_EQ(Utf8ToText("\xB0\xA1\xB3\xAA"), std::u16string(4, u'\uFFFD'));  // EUC-KR bytes
}

TEST(Utf8, ALoneSurrogateBecomesAReplacementCharacter) {
  EXPECT_EQ(TextToUtf8(u"a\xD800" u"b"), "a\uFFFDb");
  EXPECT_EQ(TextToUtf8(u"\xDC00"), "\uFFFD");
  EXPECT_EQ(TextToUtf8(std::u16string{u'\xD83D'}), "\uFFFD");
  EXPECT_TRUE(IsValidUtf8(TextToUtf8(Utf8ToText("\xED\xB0\x80 \xF0\x9F\x92"))));
}

}  // namespace
}  // namespace orvella
