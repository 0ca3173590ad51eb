#include "device/ata_command_channel.h"

#include <gtest/gtest.h>

#include "platform/byte_order.h"
#include "support/ata_drives.h"

namespace orvella {
namespace {

using test::HardDisk;
using test::OpenDrive;

// SMART READ DATA, the data command the channel carries in practice.
TIDERegisterBlock ReadDataRegisters(std::uint8_t driveNumber) {
  TIDERegisterBlock r;
  r.bFeaturesReg = 0xD0;
  r.bSectorCountReg = 1;
  r.bSectorNumberReg = 1;
  r.bCylLowReg = 0x4F;
  r.bCylHighReg = 0xC2;
  r.bDriveHeadReg = DriveHeadFor(driveNumber);
  r.bCommandReg = 0xB0;
  return r;
}

struct Channel : ::testing::Test {};

TEST_F(Channel, DriveHeadSelectsMasterOrSlave) {
  EXPECT_EQ(DriveHeadFor(0), 0xA0);
  EXPECT_EQ(DriveHeadFor(1), 0xB0);
}

TEST_F(Channel, SendCommandPassesTheRegistersAndLengths) {
  VirtualOs os(test::MachineWith(HardDisk()));
  const Handle h = OpenDrive(os);
  TIDERegisterBlock r = ReadDataRegisters(1);
  r.bFeaturesReg = 0xD8;
  ASSERT_TRUE(SmartSendCommand(os, h, 1, r));
  const RequestRecord& sent = os.Requests().back();
  EXPECT_EQ(sent.controlCode, SMART_SEND_DRIVE_COMMAND);
  EXPECT_EQ(sent.inLength, 32u);
  EXPECT_EQ(sent.outLength, 527u);
  EXPECT_EQ(GetU32(sent.input.data(), 0), 0u);  // cBufferSize
  const std::vector<std::uint8_t> regs(sent.input.begin() + 4, sent.input.begin() + 12);
  EXPECT_EQ(regs, (std::vector<std::uint8_t>{0xD8, 0x01, 0x01, 0x4F, 0xC2, 0xB0, 0xB0, 0x00}));
  EXPECT_EQ(sent.input[12], 1);  // bDriveNumber
  for (std::size_t i = 13; i < 32; ++i) EXPECT_EQ(sent.input[i], 0) << i;
}

TEST_F(Channel, DataCommandsUseBothRequestsWithTheirLengths) {
  VirtualOs os(test::MachineWith(HardDisk()));
  const Handle h = OpenDrive(os);
  AtaSector page{};
  ASSERT_TRUE(SmartReceiveData(os, h, 0, ReadDataRegisters(0), page));
  ASSERT_TRUE(SmartSendDataCommand(os, h, 0, ReadDataRegisters(0), page));
  const auto& log = os.Requests();
  const RequestRecord& received = log[log.size() - 2];
  const RequestRecord& sent = log.back();
  EXPECT_EQ(received.controlCode, SMART_RCV_DRIVE_DATA);
  EXPECT_EQ(sent.controlCode, SMART_SEND_DRIVE_COMMAND);
  for (const RequestRecord* r : {&received, &sent}) {
    EXPECT_EQ(r->inLength, 32u);
    EXPECT_EQ(r->outLength, 1039u);
    EXPECT_EQ(GetU32(r->input.data(), 0), 512u);
    EXPECT_EQ(r->input[4 + 5], 0xA0);
    EXPECT_EQ(r->input[12], 0);
  }
  EXPECT_EQ(page[2], 1);  // the first attribute id of the page
}

// The sector is the last 512 bytes the driver says it returned.
TEST_F(Channel, TakesTheSectorFromTheEndOfTheReply) {
  for (const std::uint32_t replyBytes : {528u, 520u}) {
    VirtualDrive drive = HardDisk();
    RequestFault shortReply;
    shortReply.controlCode = SMART_RCV_DRIVE_DATA;
    shortReply.replyBytes = replyBytes;
    drive.requestFaults.push_back(shortReply);
    VirtualOs os(test::MachineWith(drive));
    AtaSector page{};
    ASSERT_TRUE(SmartReceiveData(os, OpenDrive(os), 0, ReadDataRegisters(0), page)) << replyBytes;
    // The page starts at reply offset 16: revision 0010h, then the first id.
    const std::size_t shift = 528 - replyBytes;
    EXPECT_EQ(page[shift], 0x10) << replyBytes;
    EXPECT_EQ(page[shift + 2], 1) << replyBytes;
  }
}

TEST_F(Channel, ReplyShorterThanASectorOrBeyondTheAreaFailsAndKeepsTheBuffer) {
  for (const std::uint32_t replyBytes : {511u, 0u, 1040u}) {
    VirtualDrive drive = HardDisk();
    RequestFault odd;
    odd.controlCode = SMART_SEND_DRIVE_COMMAND;
    odd.replyBytes = replyBytes;
    drive.requestFaults.push_back(odd);
    VirtualOs os(test::MachineWith(drive));
    AtaSector page;
    page.fill(0x5A);
    EXPECT_FALSE(SmartSendDataCommand(os, OpenDrive(os), 0, ReadDataRegisters(0), page)) << replyBytes;
    EXPECT_EQ(page[0], 0x5A);
    EXPECT_EQ(page[511], 0x5A);
  }
}

}  // namespace
}  // namespace orvella
