#include "reports/text_forms.h"

#include "core/program.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace orvella {
namespace {

TEST(IntToGroupedStr, GroupsOnlyFromFiveDigitsOn) {
  EXPECT_EQ(IntToGroupedStr(0), u"0");
  EXPECT_EQ(IntToGroupedStr(999), u"999");
  EXPECT_EQ(IntToGroupedStr(1000), u"1000");
  EXPECT_EQ(IntToGroupedStr(9999), u"9999");
  EXPECT_EQ(IntToGroupedStr(10000), u"10,000");
  EXPECT_EQ(IntToGroupedStr(12345), u"12,345");
  EXPECT_EQ(IntToGroupedStr(100000), u"100,000");
  EXPECT_EQ(IntToGroupedStr(123456), u"123,456");
  EXPECT_EQ(IntToGroupedStr(1000000), u"1,000,000");
  EXPECT_EQ(IntToGroupedStr(500107862016), u"500,107,862,016");
  EXPECT_EQ(IntToGroupedStr(INT64_MAX), u"9,223,372,036,854,775,807");
}

// Callers pass no negative values; one that slips through keeps its sign
// in front of the groups.
TEST(IntToGroupedStr, GroupsTheDigitsOfANegativeValue) {
  EXPECT_EQ(IntToGroupedStr(-1234), u"-1234");
  EXPECT_EQ(IntToGroupedStr(-12345), u"-12,345");
  EXPECT_EQ(IntToGroupedStr(-123456), u"-123,456");
  EXPECT_EQ(IntToGroupedStr(INT64_MIN), u"-9,223,372,036,854,775,808");
}

TEST(CapacityToStr, TakesTheLargerUnitAtEachBound) {
  EXPECT_EQ(CapacityToStr(0, u'.'), u"0 bytes");
  EXPECT_EQ(CapacityToStr(99998, u'.'), u"99998 bytes");
  EXPECT_EQ(CapacityToStr(99999, u'.'), u"99.99 KB");
  EXPECT_EQ(CapacityToStr(100000, u'.'), u"100 KB");
  EXPECT_EQ(CapacityToStr(9999998, u'.'), u"9999.99 KB");
  EXPECT_EQ(CapacityToStr(9999999, u'.'), u"9.99 MB");
  EXPECT_EQ(CapacityToStr(9999999998, u'.'), u"9999.99 MB");
  EXPECT_EQ(CapacityToStr(9999999999, u'.'), u"9.99 GB");
  EXPECT_EQ(CapacityToStr(2000398934016, u'.'), u"2000.39 GB");
}

TEST(CapacityToStr, TruncatesAndDropsTrailingZeros) {
  EXPECT_EQ(CapacityToStr(1999999999999, u'.'), u"1999.99 GB");
  EXPECT_EQ(CapacityToStr(2999999, u'.'), u"2999.99 KB");
  EXPECT_EQ(CapacityToStr(8388608, u'.'), u"8388.6 KB");
  EXPECT_EQ(CapacityToStr(2000000000, u'.'), u"2000 MB");
  EXPECT_EQ(CapacityToStr(500107862016, u'.'), u"500.1 GB");
  EXPECT_EQ(CapacityToStr(500000000000, u'.'), u"500 GB");
  EXPECT_EQ(CapacityToStr(INT64_MAX, u'.'), u"9223372036.85 GB");
}

TEST(CapacityToStr, WritesTheLocaleDecimalSeparator) {
  EXPECT_EQ(CapacityToStr(500107862016, u','), u"500,1 GB");
  EXPECT_EQ(CapacityToStr(99999, u','), u"99,99 KB");
}

DeviceCatalogue OneDrive(std::u16string model, std::u16string fw, std::int64_t lba, std::int64_t sectorSize) {
  DeviceCatalogue devices{};
  devices[1].DeviceNumber = 1;
  devices[1].IdentifyData.Model = std::move(model);
  devices[1].IdentifyData.FW = std::move(fw);
  devices[1].IdentifyData.LBA = lba;
  devices[1].IdentifyData.SectorSize = sectorSize;
  return devices;
}

TEST(GetDeviceTitle, JoinsThePiecesWithFixedBlankRuns) {
  EXPECT_EQ(GetDeviceTitle(OneDrive(u"MODEL-A", u"FW01", 976773168, 512), 1, u'.'),
            u"[1]  MODEL-A    FW01    [500.1 GB]    (976773168 512-byte sectors)");
  EXPECT_EQ(GetDeviceTitle(OneDrive(u"MODEL-A", u"FW01", 976773168, 512), 1, u','),
            u"[1]  MODEL-A    FW01    [500,1 GB]    (976773168 512-byte sectors)");
}

TEST(GetDeviceTitle, TrimsModelAndFirmwareButKeepsTheRuns) {
  EXPECT_EQ(GetDeviceTitle(OneDrive(u" \tMODEL-A\r\n ", std::u16string(u"\0 ", 2), 1000, 4096), 1, u'.'),
            u"[1]  MODEL-A        [4096 KB]    (1000 4096-byte sectors)");
}

// A hostile drive's size must not end the program that shows it.
TEST(GetDeviceTitle, NamesACapacityBeyond64BitsAndRejectsASlotOutsideTheCatalogue) {
  EXPECT_EQ(GetDeviceTitle(OneDrive(u"M", u"F", INT64_MAX / 256, 512), 1, u'.'),
            u"[1]  M    F    [size beyond 64 bits]    (36028797018963967 512-byte sectors)");
  EXPECT_THROW(GetDeviceTitle(OneDrive(u"M", u"F", 1, 512), kCatalogueSlots + 1, u'.'), std::out_of_range);
}

TEST(Pad, FillsWithBlanksButNeverShortens) {
  EXPECT_EQ(PadRight(u"194", 3), u"194");
  EXPECT_EQ(PadRight(u"9", 3), u"9  ");
  EXPECT_EQ(PadLeft(u"36", 5), u"   36");
  EXPECT_EQ(PadLeft(u"12345678901234567", 16), u"12345678901234567");
  EXPECT_EQ(PadRight(u"", 0), u"");
}

}  // namespace
}  // namespace orvella
