// The medium's type from its bus and rotation rate, and its manufacturer
// from the model's prefix.
#include <gtest/gtest.h>

#include "device/device_records.h"
#include "record/media_facts.h"

namespace orvella::test {
namespace {

TEST(MediaFacts, TypeFromTheBusAndTheRotationRate) {
  EXPECT_EQ(MediaType(BusTypeSata, 7200), "HDD");
  EXPECT_EQ(MediaType(BusTypeSata, 0x0001), "SSD");
  EXPECT_EQ(MediaType(BusTypeSata, 0), "unknown");  // a drive that does not say is not guessed
  EXPECT_EQ(MediaType(BusTypeSata, 0x0400), "unknown");  // reserved values
  EXPECT_EQ(MediaType(BusTypeSata, 0xFFFF), "unknown");
  EXPECT_EQ(MediaType(17, 0x0001), "NVMe");
  EXPECT_EQ(MediaType(BusTypeUsb, 0), "USB flash");
  EXPECT_EQ(MediaType(BusTypeUsb, 5400), "HDD");  // a disk in a USB case
  EXPECT_EQ(MediaType(BusTypeSd, 0), "card");
  EXPECT_EQ(MediaType(BusTypeMmc, 0), "card");
  EXPECT_EQ(MediaType(BusTypeFileBackedVirtual, 0), "virtual");
}

TEST(MediaFacts, ManufacturerFromTheModelPrefix) {
  EXPECT_EQ(MediaManufacturer("WDC WD10EZEX-08WN4A0"), "Western Digital");
  EXPECT_EQ(MediaManufacturer("ST1000DM003-1CH162"), "Seagate");
  EXPECT_EQ(MediaManufacturer("Samsung SSD 860 EVO 500GB"), "Samsung");
  EXPECT_EQ(MediaManufacturer("CT500MX500SSD1"), "Crucial");
  EXPECT_EQ(MediaManufacturer("STORAGE DEVICE"), "");  // "ST" without a digit names no maker
  EXPECT_EQ(MediaManufacturer("Testa Disk A"), "");
  EXPECT_EQ(MediaManufacturer(""), "");
}

}  // namespace
}  // namespace orvella::test
