#include "platform/system_volumes.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "platform/byte_order.h"

namespace orvella {
namespace {

using Texts = std::vector<std::u16string>;

TEST(SystemUseOfPlaces, ADriveHoldsThePlacesOnItsDisksOnly) {
  const SystemUseQuery query = SystemUseOfPlaces({{u"the Windows folder C:\\Windows", {0}, {}},
                                                  {u"the page file D:\\pagefile.sys", {1, 2}, {}},
                                                  {u"the program's own file E:\\orvella-cli.exe", {}, {}}});
  EXPECT_EQ(query(0), Texts{u"the Windows folder C:\\Windows"});
  EXPECT_EQ(query(2), Texts{u"the page file D:\\pagefile.sys"});  // a volume spanning two disks
  EXPECT_EQ(query(3), Texts{});
}

// A place whose disk could not be told may be on any drive: every drive is
// refused, with the reason, rather than none.
TEST(SystemUseOfPlaces, APlaceOfUnknownDisksIsOnEveryDrive) {
  const SystemUseQuery query =
      SystemUseOfPlaces({{u"the Windows folder C:\\Windows", {}, u"the volume could not be opened (error 00000005h)"},
                         {u"the page file C:\\pagefile.sys", {4}, {}}});
  for (std::uint32_t drive : {0u, 4u, 15u}) {
    const Texts parts = query(drive);
    ASSERT_FALSE(parts.empty()) << drive;
    EXPECT_EQ(parts[0], u"the Windows folder C:\\Windows, whose disk could not be told: the volume could not be "
                        u"opened (error 00000005h)");
  }
  EXPECT_EQ(query(4).size(), 2u);
}

// VOLUME_DISK_EXTENTS as Windows answers it: a count, then 24-byte extents.
std::vector<std::uint8_t> Extents(std::initializer_list<std::uint32_t> disks) {
  std::vector<std::uint8_t> reply(8 + 24 * disks.size(), 0xEE);
  PutU32(reply.data(), 0, static_cast<std::uint32_t>(disks.size()));
  std::size_t at = 8;
  for (std::uint32_t disk : disks) {
    PutU32(reply.data(), at, disk);
    at += 24;
  }
  return reply;
}

TEST(DisksOfExtents, GivesEachDiskOnceAndRefusesACutReply) {
  const auto striped = Extents({3, 1, 3});
  EXPECT_EQ(DisksOfExtents(striped.data(), striped.size()), (std::vector<std::uint32_t>{3, 1}));
  const auto none = Extents({});
  EXPECT_EQ(DisksOfExtents(none.data(), none.size()), std::vector<std::uint32_t>{});
  EXPECT_FALSE(DisksOfExtents(striped.data(), striped.size() - 1));
  EXPECT_FALSE(DisksOfExtents(striped.data(), 4));
  auto lying = Extents({0});
  PutU32(lying.data(), 0, 0xFFFFFFFFu);  // a count no reply could hold
  EXPECT_FALSE(DisksOfExtents(lying.data(), lying.size()));
}

TEST(PageFilePaths, DropTheKernelPrefix) {
  EXPECT_EQ(PageFilePaths({u"\\??\\C:\\pagefile.sys", u"", u"D:\\swap\\pagefile.sys"}),
            (Texts{u"C:\\pagefile.sys", u"D:\\swap\\pagefile.sys"}));
}

}  // namespace
}  // namespace orvella
