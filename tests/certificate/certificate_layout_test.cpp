// The page's text before it is drawn: lines broken to a column's width,
// and what the built-in fonts show of characters they lack.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "certificate/line_wrap.h"
#include "certificate/winansi_text.h"

namespace orvella::certificate {
namespace {

// One unit of width per character, whatever its bytes.
double Characters(std::string_view text) {
  double count = 0;
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return count;
}

std::vector<std::string> Wrap(std::string_view text, double width) { return WrapLines(text, width, Characters); }

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : " ") + line;
  return text;
}

TEST(LineWrap, WordsFillEachLineAndBreakAtBlanks) {
  EXPECT_EQ(Wrap("Bytes written 0 of 0", 10), (std::vector<std::string>{"Bytes", "written 0", "of 0"}));
  EXPECT_EQ(Wrap("fits exactly", 12), (std::vector<std::string>{"fits exactly"}));
  EXPECT_EQ(Wrap("first\nsecond line", 20), (std::vector<std::string>{"first", "second line"}));
  EXPECT_TRUE(Wrap("", 10).empty());
}

// A digest or a serial wider than its column is cut, never cut off, and
// never inside a character of several bytes.
TEST(LineWrap, AWordWiderThanTheColumnIsCutBetweenWholeCharacters) {
  const std::string digest(64, 'a');
  const std::vector<std::string> lines = Wrap("sha " + digest, 30);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "sha");
  EXPECT_EQ(lines[1], std::string(30, 'a'));
  EXPECT_EQ(lines[3], std::string(4, 'a'));
  EXPECT_EQ(Joined(lines), "sha " + std::string(30, 'a') + " " + std::string(30, 'a') + " " + std::string(4, 'a'));

  const std::string serial = "Z\xc3\xab\xe4\xb8\xad\xf0\x9f\x98\x80XY";  // Z ë 中 😀 X Y
  const std::vector<std::string> cut = Wrap(serial, 2);
  EXPECT_EQ(cut, (std::vector<std::string>{"Z\xc3\xab", "\xe4\xb8\xad\xf0\x9f\x98\x80", "XY"}));
}

TEST(LineWrap, NoLineIsWiderThanTheColumnAndEveryCharacterIsKept) {
  const std::string text = "Result: written and flushed; no data found in a sample of 10.6% of the drive "
                           "(the rest was not read back); 3,072 hidden sectors were NOT written";
  for (const double width : {1.0, 7.0, 25.0, 80.0}) {
    const std::vector<std::string> lines = Wrap(text, width);
    std::string kept;
    for (const std::string& line : lines) {
      EXPECT_LE(Characters(line), width) << line;
      kept += line;
    }
    std::string expected = text;
    std::erase(expected, ' ');
    std::erase(kept, ' ');
    EXPECT_EQ(kept, expected) << "width " << width;
  }
}

TEST(WinAnsiText, WhatTheSetHoldsIsItsByteAndTheRestIsShownByNumber) {
  EXPECT_EQ(ToWinAnsi("SN-0042 [ ] reuse"), "SN-0042 [ ] reuse");
  EXPECT_EQ(ToWinAnsi("Zo\xc3\xab \xc2\xa9"), "Zo\xeb \xa9");                     // Latin-1 as it is
  EXPECT_EQ(ToWinAnsi("a \xe2\x80\x94 b \xe2\x82\xac"), "a \x97 b \x80");          // em dash, euro
  EXPECT_EQ(ToWinAnsi("\xe4\xb8\xad"), "<U+4E2D>");                                // not in the set
  EXPECT_EQ(ToWinAnsi("\xf0\x9f\x98\x80!"), "<U+1F600>!");                         // beyond 16 bits
  EXPECT_EQ(ToWinAnsi("\xc5\x81\xc5\x82"), "<U+0141><U+0142>");                    // Ł ł
  EXPECT_EQ(ToWinAnsi("bad \xff byte"), "bad <U+FFFD> byte");                      // ill-formed
  EXPECT_EQ(ToWinAnsi(std::string("nul \0 and \x81", 11)), "nul <U+0000> and <U+FFFD>");
}

}  // namespace
}  // namespace orvella::certificate
