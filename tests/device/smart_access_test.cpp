#include "device/smart_access.h"

#include <gtest/gtest.h>

#include "device/smart_attribute_names.h"
#include "platform/byte_order.h"
#include "support/ata_drives.h"

namespace orvella {
namespace {

using test::CommandOf;
using test::FeatureOf;
using test::HardDisk;
using test::OpenDrive;
using test::PassThroughRequests;

std::vector<std::uint8_t> Registers(const RequestRecord& r) {
  return {r.input.begin() + 4, r.input.begin() + 12};
}

TEST(SmartAccess, EachOperationSendsTheSmartCommandWithItsFeature) {
  for (const std::uint8_t drive : {0, 1}) {
    VirtualOs os(test::MachineWith(HardDisk()));
    const Handle h = OpenDrive(os);
    AtaSector page{};
    ASSERT_TRUE(SmartEnable(os, h, drive));
    ASSERT_TRUE(SmartReadData(os, h, drive, page));
    ASSERT_TRUE(SmartDisable(os, h, drive));
    const auto requests = PassThroughRequests(os);
    ASSERT_EQ(requests.size(), 3u);
    const std::uint8_t head = drive == 0 ? 0xA0 : 0xB0;
    EXPECT_EQ(requests[0].controlCode, SMART_SEND_DRIVE_COMMAND);
    EXPECT_EQ(Registers(requests[0]), (std::vector<std::uint8_t>{0xD8, 1, 1, 0x4F, 0xC2, head, 0xB0, 0}));
    EXPECT_EQ(requests[1].controlCode, SMART_RCV_DRIVE_DATA);
    EXPECT_EQ(Registers(requests[1]), (std::vector<std::uint8_t>{0xD0, 1, 1, 0x4F, 0xC2, head, 0xB0, 0}));
    EXPECT_EQ(requests[2].controlCode, SMART_SEND_DRIVE_COMMAND);
    EXPECT_EQ(Registers(requests[2]), (std::vector<std::uint8_t>{0xD9, 1, 1, 0x4F, 0xC2, head, 0xB0, 0}));
    for (const auto& r : requests) EXPECT_EQ(r.input[12], drive);
  }
}

TEST(SmartAccess, ReadDataTriesTheSendRequestOnceWhenReceiveIsRejected) {
  VirtualDrive drive = HardDisk();
  drive.ata.receiveAnswers = false;
  VirtualOs os(test::MachineWith(drive));
  AtaSector page{};
  ASSERT_TRUE(SmartReadData(os, OpenDrive(os), 0, page));
  EXPECT_EQ(SmartAttributeAt(page, 0).id, 1);
  const auto requests = PassThroughRequests(os);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].controlCode, SMART_SEND_DRIVE_COMMAND);
  EXPECT_EQ(requests[1].input, requests[0].input);  // the same register block

  VirtualDrive neither = HardDisk();
  neither.ata.receiveAnswers = false;
  neither.ata.sendAnswers = false;
  VirtualOs os2(test::MachineWith(neither));
  page.fill(0x5A);
  EXPECT_FALSE(SmartReadData(os2, OpenDrive(os2), 0, page));
  EXPECT_EQ(PassThroughRequests(os2).size(), 2u);  // no third attempt
  EXPECT_EQ(page[0], 0x5A);
}

TEST(SmartAccess, AttributeEntriesCarryA48BitRawValue) {
  AtaSector page{};
  const std::size_t at = 2 + 12 * 29;
  page[at] = 194;
  page[at + 3] = 36;
  page[at + 4] = 45;
  const std::uint8_t raw[] = {0x10, 0x27, 0x00, 0x00, 0x01, 0x00};
  std::copy(std::begin(raw), std::end(raw), page.begin() + at + 5);
  page[at + 11] = 0xFF;  // reserved, not part of the value
  const SmartAttributeEntry e = SmartAttributeAt(page, 29);
  EXPECT_EQ(e.id, 194);
  EXPECT_EQ(e.current, 36);
  EXPECT_EQ(e.worst, 45);
  EXPECT_EQ(e.raw, 4294977296u);
}

TEST(SmartAttributeNames, FiftyFourBlankFilledNames) {
  int named = 0;
  for (int id = 1; id <= 255; ++id) {
    if (SmartAttributeNames[static_cast<std::size_t>(id)].empty()) continue;
    ++named;
    EXPECT_EQ(SmartAttributeNames[static_cast<std::size_t>(id)].size(), kSmartNameWidth) << id;
  }
  EXPECT_EQ(named, 54);
  EXPECT_EQ(SmartAttributeName(194), u"HDA Temperature           ");
  EXPECT_EQ(SmartAttributeName(206), u"Unknown                   ");
  EXPECT_EQ(SmartAttributeName(200), u"Write error rate at preamp");
  EXPECT_EQ(SmartAttributeName(192), SmartAttributeName(228));
  EXPECT_EQ(SmartAttributeName(255), u"Unknown                   ");
}

}  // namespace
}  // namespace orvella
