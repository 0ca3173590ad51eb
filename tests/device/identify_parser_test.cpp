#include "device/identify_parser.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/byte_order.h"
#include "platform/virtual/virtual_os.h"

namespace orvella {
namespace {

struct Parser : ::testing::Test {
  VirtualOs os{VirtualMachine{}};

  T_IDE_PASSPORT Parse(const std::map<int, std::uint16_t>& words) {
    AtaSector data{};
    for (const auto& [n, value] : words) PutU16(data.data(), 2 * static_cast<std::size_t>(n), value);
    return ParseIdentifyData(os, data);
  }
};

// 28-bit LBA over words 60-61, 48-bit LBA announced in word 83 over 100-103.
std::map<int, std::uint16_t> LbaWords(std::uint64_t lba48) {
  return {{49, 0x0200}, {60, 0xFFFF}, {61, 0x0FFF}, {83, 0x0400},
          {100, static_cast<std::uint16_t>(lba48)}, {101, static_cast<std::uint16_t>(lba48 >> 16)},
          {102, static_cast<std::uint16_t>(lba48 >> 32)}, {103, static_cast<std::uint16_t>(lba48 >> 48)}};
}

TEST_F(Parser, FortyEightBitCountMustExceedTheTwentyEightBitOne) {
  const T_IDE_PASSPORT equal = Parse(LbaWords(0x0FFFFFFF));
  EXPECT_TRUE(equal.lba28support);
  EXPECT_FALSE(equal.lba48support);
  EXPECT_EQ(equal.lba48sectors, 0);
  EXPECT_EQ(equal.lbasectors, 268435455);

  const T_IDE_PASSPORT larger = Parse(LbaWords(976773168));
  EXPECT_TRUE(larger.lba48support);
  EXPECT_EQ(larger.lba28sectors, 268435455);
  EXPECT_EQ(larger.lba48sectors, 976773168);
  EXPECT_EQ(larger.lbasectors, 976773168);

  auto no48 = LbaWords(976773168);
  no48[83] = 0;
  EXPECT_FALSE(Parse(no48).lba48support);
  EXPECT_EQ(Parse(no48).lbasectors, 268435455);
}

// Word 103 is reserved: a count that needs it is none that 48-bit commands
// address, and 2^63 or more would even turn negative.
TEST_F(Parser, FortyEightBitCountMustFitInFortyEightBits) {
  EXPECT_EQ(Parse(LbaWords((std::uint64_t{1} << 48) - 1)).lba48sectors, (std::int64_t{1} << 48) - 1);
  for (const std::uint64_t count : {std::uint64_t{1} << 48, std::uint64_t{1} << 63, ~std::uint64_t{0}}) {
    const T_IDE_PASSPORT p = Parse(LbaWords(count));
    EXPECT_FALSE(p.lba48support) << count;
    EXPECT_EQ(p.lba48sectors, 0) << count;
    EXPECT_EQ(p.lbasectors, 268435455) << count;
  }
}

TEST_F(Parser, WithoutLbaEveryCountIsZero) {
  auto words = LbaWords(976773168);
  words[49] = 0x0100;
  const T_IDE_PASSPORT p = Parse(words);
  EXPECT_FALSE(p.lba28support);
  EXPECT_FALSE(p.lba48support);
  EXPECT_EQ(p.lba28sectors, 0);
  EXPECT_EQ(p.lba48sectors, 0);
  EXPECT_EQ(p.lbasectors, 0);
}

TEST_F(Parser, UltraDmaModesAreTheHighestBitsOfWord88) {
  const T_IDE_PASSPORT all = Parse({{49, 0x0100}, {53, 0x0004}, {88, 0x203F}});
  EXPECT_TRUE(all.dmasupport);
  EXPECT_EQ(all.dmamodesupport, 5);
  EXPECT_EQ(all.dmamodeselected, 5);

  const T_IDE_PASSPORT mode6 = Parse({{49, 0x0100}, {53, 0x0004}, {88, 0x047F}});
  EXPECT_EQ(mode6.dmamodesupport, 5);  // bit 6 is not looked at
  EXPECT_EQ(mode6.dmamodeselected, 2);

  const T_IDE_PASSPORT invalid = Parse({{49, 0x0100}, {53, 0x0003}, {88, 0x203F}});
  EXPECT_FALSE(invalid.dmasupport);
  EXPECT_EQ(invalid.dmamodesupport, 0);
  EXPECT_EQ(invalid.dmamodeselected, 0);
}

TEST_F(Parser, SecurityStateNeedsTheFeatureSet) {
  const T_IDE_PASSPORT without = Parse({{82, 0x0000}, {128, 0x010F}});
  EXPECT_FALSE(without.securitysupport);
  EXPECT_FALSE(without.locked);
  EXPECT_FALSE(without.lockedmax);
  EXPECT_FALSE(without.securityenabled);
  EXPECT_FALSE(without.securityfrozen);
  // 0103h: a password is set, level Maximum, but the drive is not locked.
  const T_IDE_PASSPORT with = Parse({{82, 0x0002}, {128, 0x0103}});
  EXPECT_TRUE(with.securitysupport);
  EXPECT_FALSE(with.locked);
  EXPECT_TRUE(with.securityenabled);
  EXPECT_TRUE(with.lockedmax);
  EXPECT_TRUE(Parse({{82, 0x0002}, {128, 0x0107}}).locked);
}

TEST_F(Parser, AnEnabledFrozenSsdIsNotLocked) {
  // As a real SSD reports it: supported, enabled, frozen, level Maximum.
  const T_IDE_PASSPORT p = Parse({{82, 0x746B}, {128, 0x012B}});
  EXPECT_FALSE(p.locked);
  EXPECT_TRUE(p.securityenabled);
  EXPECT_TRUE(p.securityfrozen);
  EXPECT_TRUE(p.lockedmax);
}

TEST_F(Parser, UltraDmaSixIsReportedBesideTheModeNumbers) {
  const T_IDE_PASSPORT p = Parse({{49, 0x0100}, {53, 0x0004}, {88, 0x407F}});
  EXPECT_TRUE(p.udma6supported);
  EXPECT_TRUE(p.udma6selected);
  EXPECT_EQ(p.dmamodesupport, 5);  // the mode numbers stop at bit 5
  EXPECT_EQ(p.dmamodeselected, 0);
  const T_IDE_PASSPORT noDma = Parse({{49, 0x0100}, {53, 0x0000}, {88, 0x407F}});
  EXPECT_FALSE(noDma.udma6supported);
  EXPECT_FALSE(noDma.udma6selected);
}

TEST_F(Parser, LogicalSectorSizeFromWords106And117) {
  EXPECT_EQ(Parse({}).logicalsectorsize, 512);
  // 4096-byte logical sectors: 2048 words.
  EXPECT_EQ(Parse({{106, 0x5000}, {117, 0x0800}, {118, 0}}).logicalsectorsize, 4096);
  // Word 106 without its validity pattern, or without bit 12, says nothing.
  EXPECT_EQ(Parse({{106, 0xD000}, {117, 0x0800}}).logicalsectorsize, 512);
  EXPECT_EQ(Parse({{106, 0x4000}, {117, 0x0800}}).logicalsectorsize, 512);
  EXPECT_EQ(Parse({{106, 0x5000}, {117, 0x0010}}).logicalsectorsize, 512);  // shorter than a sector
}

TEST_F(Parser, FeatureSetsForHiddenAreas) {
  const T_IDE_PASSPORT equal = Parse(LbaWords(0x0FFFFFFF));
  EXPECT_TRUE(equal.lba48featureset);  // claimed, though the counts are equal
  EXPECT_FALSE(equal.lba48support);
  EXPECT_TRUE(Parse({{83, 0x0800}}).dcosupport);
  EXPECT_TRUE(Parse({{119, 0x4100}}).amasupport);
  EXPECT_FALSE(Parse({{119, 0x0100}}).amasupport);  // word 119 not valid
}

TEST_F(Parser, FeatureBitsBufferQueueAndFixedFields) {
  const T_IDE_PASSPORT p =
      Parse({{21, 0x4000}, {47, 0x8010}, {75, 0x001F}, {82, 0x0401}, {83, 0x0200}, {84, 0x0010}, {85, 0x0001}});
  EXPECT_EQ(p.buffersize, 8388608u);
  EXPECT_EQ(p.readmultiplesectors, 16);
  EXPECT_TRUE(p.QueueSupported);
  EXPECT_EQ(p.QueueDepth, 31);
  EXPECT_TRUE(p.hpasupport);
  EXPECT_TRUE(p.smartsupport);
  EXPECT_TRUE(p.smartenabled);
  EXPECT_TRUE(p.aamsupport);
  EXPECT_TRUE(p.StreamingSupported);
  EXPECT_EQ(p.sectorsize, 512);
  EXPECT_FALSE(p.isremovable);
  EXPECT_FALSE(p.ispacket);

  // The enabled bit counts only with the feature set; an all-ones word 75 is
  // taken whole.
  const T_IDE_PASSPORT q = Parse({{75, 0xFFFF}, {85, 0x0001}, {0, 0xFFFF}});
  EXPECT_FALSE(q.smartenabled);
  EXPECT_EQ(q.QueueDepth, 65535);
  EXPECT_EQ(q.sectorsize, 512);
  EXPECT_FALSE(q.isremovable);
}

TEST_F(Parser, TextsAreByteSwappedAndTrimmed) {
  std::map<int, std::uint16_t> words;
  for (int n = 27; n <= 46; ++n) words[n] = 0x2020;
  words[27] = 0x5A58;  // "ZX"
  words[28] = 0x3100;  // "1", then a zero byte that stays inside
  words[29] = 0x4100;  // "A" and a zero: the end of the text is trimmed
  for (int n = 10; n <= 19; ++n) words[n] = 0x2020;
  words[19] = 0x3132;  // right-aligned serial "12"
  words[23] = 0x4657;  // "FW" and nothing else
  const T_IDE_PASSPORT p = Parse(words);
  EXPECT_EQ(p.name, std::u16string(u"ZX1\0A", 5));
  EXPECT_EQ(p.sn, u"12");
  EXPECT_EQ(p.fw, u"FW");

  for (int n = 27; n <= 46; ++n) words[n] = 0x2020;
  EXPECT_EQ(Parse(words).name, u"");
}

TEST_F(Parser, TextsGoThroughTheAnsiCodePage) {
  const T_IDE_PASSPORT p = Parse({{27, 0xC4E9}});  // Latin-1 in the simulated machine
  EXPECT_EQ(p.name, u"\u00C4\u00E9");
}

}  // namespace
}  // namespace orvella
