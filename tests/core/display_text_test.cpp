#include "core/display_text.h"

#include <gtest/gtest.h>

#include "core/text.h"
#include "support/hostile_text.h"

namespace orvella {
namespace {

TEST(DisplaySafe, TheSpoofingNameShowsItsEscapesInsteadOfActingOnThem) {
  const std::string safe = DisplaySafeUtf8(test::kSpoofingProduct);
  EXPECT_EQ(safe, "Stick\\x1b[2K\\x0d\\x1b[1A\\x1b[2KDrive 0: \\\\.\\PhysicalDrive0, model \"BACKUP DISK\"");
  EXPECT_FALSE(test::HoldsRawControls(safe));
  EXPECT_EQ(DisplaySafeUtf8(test::kReversingProduct), "Stick<U+202E>KSID PUKCAB");
}

TEST(DisplaySafe, EveryControlAndReorderingCharacterIsNamedAndAllElseKept) {
  EXPECT_EQ(DisplaySafe(std::u16string(u"a\0b\tc\nd\x7f" u"e\x85" u"f\x9b", 12)),
            u"a\\x00b\\x09c\\x0ad\\x7fe\\x85f\\x9b");
  EXPECT_EQ(DisplaySafe(u"\u061c\u200e\u200f\u2028\u2029\u202a\u202d\u2066\u2069"),
            u"<U+061C><U+200E><U+200F><U+2028><U+2029><U+202A><U+202D><U+2066><U+2069>");
  // Text of any script, and the characters beside the ranges, stay.
  const std::u16string kept = u"Ünïcødé Диск 磁盘 \u00a0\u200d\u202f\u2065\u206a \U0001F4BE";
  EXPECT_EQ(DisplaySafe(kept), kept);
  EXPECT_FALSE(NeedsDisplayEscape(kept));
  EXPECT_TRUE(NeedsDisplayEscape(u"\x1b"));
  // A second pass changes nothing: what was escaped is plain text.
  EXPECT_EQ(DisplaySafe(DisplaySafe(u"x\x1b\u202ey")), DisplaySafe(u"x\x1b\u202ey"));
}

TEST(DisplaySafe, IllFormedUtf8IsShownAsReplacementCharacters) {
  EXPECT_EQ(DisplaySafeUtf8("ok\xff\xc2"), "ok\xef\xbf\xbd\xef\xbf\xbd");
  EXPECT_EQ(DisplaySafeUtf8("\xc2\x9b" "31m"), "\\x9b31m");
}

}  // namespace
}  // namespace orvella
