#include "device/device_records.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "core/text.h"

namespace orvella {
namespace {

TIdentifyDeviceData Sized(std::int64_t sectors, std::int64_t sectorSize) {
  TIdentifyDeviceData data;
  data.LBA = sectors;
  data.SectorSize = sectorSize;
  return data;
}

constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();

TEST(DriveBytes, IsSectorsTimesSectorSizeUpToTheLargestOffset) {
  EXPECT_EQ(DriveBytes(Sized(976'773'168, 512)), 500'107'862'016);
  EXPECT_EQ(DriveBytes(Sized(0, 512)), 0);
  EXPECT_EQ(DriveBytes(Sized(kLargest / 4096, 4096)), kLargest / 4096 * 4096);
  EXPECT_EQ(DriveBytes(Sized(kLargest, 1)), kLargest);
}

// Sizes a signed product would wrap to a small or negative number, and
// negative counts, are no size at all rather than a wrong one.
TEST(DriveBytes, IsEmptyBeyond63BitsAndForNegativeCounts) {
  EXPECT_FALSE(DriveBytes(Sized(std::int64_t{1} << 54, 1024)));  // 2^64 would wrap to 0
  EXPECT_FALSE(DriveBytes(Sized(std::int64_t{1} << 54, 512)));   // 2^63 would wrap negative
  EXPECT_FALSE(DriveBytes(Sized(kLargest / 4096 + 1, 4096)));
  EXPECT_FALSE(DriveBytes(Sized(kLargest, 2)));
  EXPECT_FALSE(DriveBytes(Sized(-1, 512)));
  EXPECT_FALSE(DriveBytes(Sized(1000, -512)));
}

TEST(ReportedSerial, IsTheTrimmedSerialAndEmptyForThePlaceholder) {
  TIdentifyDeviceData data;
  data.SN = u"  WD-WCC2EAB12345 ";
  EXPECT_EQ(ReportedSerial(data), u"WD-WCC2EAB12345");
  for (const std::u16string none : {u"000000", u" 000000  ", u"", u"   "}) {
    data.SN = none;
    EXPECT_EQ(ReportedSerial(data), u"") << TextToUtf8(none);
  }
  // A serial that only holds the placeholder's digits among others is a serial.
  data.SN = u"0000001";
  EXPECT_EQ(ReportedSerial(data), u"0000001");
}

}  // namespace
}  // namespace orvella
