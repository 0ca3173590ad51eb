// How a simulated drive answers ATA pass-through: the IDENTIFY sector it
// builds, the reply layouts, and the S.M.A.R.T. state it keeps.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/byte_order.h"
#include "support/ata_drives.h"

namespace orvella {
namespace {

using test::HardDisk;
using test::OpenDrive;

std::vector<std::uint8_t> CommandBlock(std::uint8_t feature, std::uint8_t command, std::uint32_t bufferSize) {
  std::vector<std::uint8_t> block(33, 0);
  PutU32(block.data(), 0, bufferSize);
  const std::uint8_t regs[] = {feature, 1, 1, command == 0xB0 ? std::uint8_t{0x4F} : std::uint8_t{0},
                               command == 0xB0 ? std::uint8_t{0xC2} : std::uint8_t{0}, 0xA0, command};
  std::memcpy(block.data() + 4, regs, sizeof regs);
  return block;
}

struct VirtualAtaTest : ::testing::Test {
  VirtualOs os{[] {
    VirtualMachine m;
    m.drives.push_back(HardDisk());
    return m;
  }()};
  Handle handle = OpenDrive(os);
  std::vector<std::uint8_t> reply = std::vector<std::uint8_t>(1039, 0xEE);
  std::uint32_t returned = 0;

  bool Ask(std::uint32_t code, std::vector<std::uint8_t> input) {
    return os.DeviceIoControl(handle, code, input.data(), static_cast<std::uint32_t>(input.size()),
                              reply.data(), static_cast<std::uint32_t>(reply.size()), &returned);
  }
  std::uint16_t IdentifyWord(int n) const { return GetU16(reply.data(), 16 + 2 * static_cast<std::size_t>(n)); }
};

TEST_F(VirtualAtaTest, IdentifySectorHoldsTheTextsInAtaOrderAndTheRawWords) {
  ASSERT_TRUE(Ask(SMART_RCV_DRIVE_DATA, CommandBlock(0, 0xEC, 512)));
  EXPECT_EQ(returned, 528u);
  EXPECT_EQ(GetU32(reply.data(), 0), 512u);  // SENDCMDOUTPARAMS.cBufferSize
  EXPECT_EQ(IdentifyWord(27), 0x4841);       // "HA"
  EXPECT_EQ(IdentifyWord(46), 0x2020);       // blank-filled to the end of the field
  EXPECT_EQ(IdentifyWord(10), 0x2020);       // the serial's leading blanks
  EXPECT_EQ(IdentifyWord(23), 0x4853);       // "HS"
  EXPECT_EQ(IdentifyWord(21), 0x4000);
  EXPECT_EQ(IdentifyWord(101), 0x3A38);
}

TEST_F(VirtualAtaTest, Word85FollowsTheSmartState) {
  ASSERT_TRUE(Ask(SMART_SEND_DRIVE_COMMAND, CommandBlock(0xD9, 0xB0, 0)));
  EXPECT_EQ(returned, 16u);
  ASSERT_TRUE(Ask(SMART_RCV_DRIVE_DATA, CommandBlock(0, 0xEC, 512)));
  EXPECT_EQ(IdentifyWord(85), 0x7468);
  EXPECT_FALSE(Ask(SMART_RCV_DRIVE_DATA, CommandBlock(0xD0, 0xB0, 512)));
  EXPECT_EQ(os.GetLastError(), ERROR_IO_DEVICE);
  ASSERT_TRUE(Ask(SMART_SEND_DRIVE_COMMAND, CommandBlock(0xD8, 0xB0, 0)));
  ASSERT_TRUE(Ask(SMART_RCV_DRIVE_DATA, CommandBlock(0, 0xEC, 512)));
  EXPECT_EQ(IdentifyWord(85), 0x7469);
}

TEST_F(VirtualAtaTest, SmartPageListsTheAttributesAndSumsToZero) {
  ASSERT_TRUE(Ask(SMART_SEND_DRIVE_COMMAND, CommandBlock(0xD0, 0xB0, 512)));
  EXPECT_EQ(returned, 528u);
  std::uint8_t sum = 0;
  for (std::size_t i = 16; i < 528; ++i) sum = static_cast<std::uint8_t>(sum + reply[i]);
  EXPECT_EQ(sum, 0);
  const std::size_t first = 16 + 2;
  EXPECT_EQ(reply[first], 1);
  EXPECT_EQ(reply[first + 12 * 12], 0);  // after the twelfth attribute
}

TEST_F(VirtualAtaTest, ReceiveRefusesCommandsWithoutData) {
  EXPECT_FALSE(Ask(SMART_RCV_DRIVE_DATA, CommandBlock(0xD8, 0xB0, 0)));
  EXPECT_EQ(os.GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(Ask(SMART_RCV_DRIVE_DATA, CommandBlock(0xD0, 0xB0, 0)));  // no room declared
}

TEST(VirtualAtaMiniport, ReplyKeepsTheHeaderAndPutsTheDataAt44) {
  VirtualMachine m;
  m.drives.push_back(HardDisk());
  m.drives[0].ata.miniportAnswers = true;
  VirtualOs os(m);
  std::vector<std::uint8_t> buffer(572, 0);
  PutU32(buffer.data(), 0, 28);
  std::memcpy(buffer.data() + 4, "SCSIDISK", 8);
  PutU32(buffer.data(), 12, 120);
  PutU32(buffer.data(), 16, IOCTL_SCSI_MINIPORT_IDENTIFY);
  PutU32(buffer.data(), 24, 544);
  const std::vector<std::uint8_t> block = CommandBlock(0, 0xEC, 512);
  std::copy(block.begin(), block.end(), buffer.begin() + 28);
  std::uint32_t returned = 0;
  ASSERT_TRUE(os.DeviceIoControl(OpenDrive(os), IOCTL_SCSI_MINIPORT, buffer.data(), 572, buffer.data(), 572,
                                 &returned));
  EXPECT_EQ(returned, 556u);
  EXPECT_EQ(std::memcmp(buffer.data() + 4, "SCSIDISK", 8), 0);
  EXPECT_EQ(GetU32(buffer.data(), 28), 512u);
  EXPECT_EQ(GetU16(buffer.data(), 44 + 2 * 27), 0x4841);

  PutU32(buffer.data(), 16, 0x1B0502);  // another miniport function
  EXPECT_FALSE(os.DeviceIoControl(OpenDrive(os), IOCTL_SCSI_MINIPORT, buffer.data(), 572, buffer.data(), 572,
                                  &returned));
}

}  // namespace
}  // namespace orvella
