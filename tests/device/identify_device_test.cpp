#include "device/identify_device.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/byte_order.h"
#include "support/ata_drives.h"

namespace orvella {
namespace {

using test::HardDisk;
using test::OpenDrive;
using test::PassThroughRequests;

// A drive whose driver has no S.M.A.R.T. requests but whose miniport answers.
VirtualDrive MiniportOnly(std::uint32_t number = 0) {
  VirtualDrive drive = HardDisk(number);
  drive.ata.versionAnswers = false;
  drive.ata.receiveAnswers = false;
  drive.ata.sendAnswers = false;
  drive.ata.miniportAnswers = true;
  return drive;
}

bool Identify(VirtualOs& os, std::uint8_t driveNumber, AtaSector& data) {
  return IdentifyDevice(os, OpenDrive(os), driveNumber, data);
}

// The model text starts at word 27 with its first character in the high byte.
bool HasModel(const AtaSector& data) { return data[54] == 'A' && data[55] == 'H'; }

TEST(IdentifyDevice, AsksTheVersionThenReceivesWithDriveNumberZero) {
  VirtualOs os(test::MachineWith(HardDisk()));
  AtaSector data{};
  ASSERT_TRUE(Identify(os, 1, data));
  EXPECT_TRUE(HasModel(data));
  const auto requests = PassThroughRequests(os);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].controlCode, SMART_GET_VERSION);
  EXPECT_EQ(requests[0].inLength, 0u);
  EXPECT_EQ(requests[0].outLength, 28u);
  const RequestRecord& receive = requests[1];
  EXPECT_EQ(receive.controlCode, SMART_RCV_DRIVE_DATA);
  EXPECT_EQ(receive.inLength, 33u);
  EXPECT_EQ(receive.outLength, 528u);
  std::vector<std::uint8_t> expected(33, 0);
  PutU32(expected.data(), 0, 512);
  const std::uint8_t regs[] = {0x00, 0x01, 0x01, 0x00, 0x00, 0xB0, 0xEC, 0x00};
  std::memcpy(expected.data() + 4, regs, sizeof regs);
  EXPECT_EQ(receive.input, expected);  // bDriveNumber stays 0 on this request
}

// On this path the returned byte count is not looked at: the data is taken
// from offset 16 of the 528-byte area.
TEST(IdentifyDevice, ReceivePathIgnoresTheReturnedCount) {
  VirtualDrive drive = HardDisk();
  RequestFault shortReply;
  shortReply.controlCode = SMART_RCV_DRIVE_DATA;
  shortReply.replyBytes = 100;
  drive.requestFaults.push_back(shortReply);
  VirtualOs os(test::MachineWith(drive));
  AtaSector data{};
  ASSERT_TRUE(Identify(os, 0, data));
  EXPECT_TRUE(HasModel(data));
}

TEST(IdentifyDevice, FallsBackToTheMiniportWhenVersionOrReceiveFails) {
  VirtualDrive noVersion = HardDisk();
  noVersion.ata.versionAnswers = false;
  noVersion.ata.miniportAnswers = true;
  VirtualDrive noReceive = HardDisk();
  noReceive.ata.receiveAnswers = false;
  noReceive.ata.miniportAnswers = true;
  for (const VirtualDrive& drive : {noVersion, noReceive}) {
    VirtualOs os(test::MachineWith(drive));
    AtaSector data{};
    ASSERT_TRUE(Identify(os, 0, data));
    EXPECT_TRUE(HasModel(data));
    const auto requests = PassThroughRequests(os);
    EXPECT_EQ(requests.back().controlCode, IOCTL_SCSI_MINIPORT);
    EXPECT_EQ(requests.size(), drive.ata.versionAnswers ? 3u : 2u);
  }
}

TEST(IdentifyDevice, MiniportBufferIsBuiltByteForByte) {
  VirtualOs os(test::MachineWith(MiniportOnly()));
  AtaSector data{};
  ASSERT_TRUE(Identify(os, 1, data));
  const RequestRecord miniport = PassThroughRequests(os).back();
  EXPECT_EQ(miniport.inLength, 572u);
  EXPECT_EQ(miniport.outLength, 572u);
  std::vector<std::uint8_t> expected(572, 0);
  PutU32(expected.data(), 0, 28);
  std::memcpy(expected.data() + 4, "SCSIDISK", 8);
  PutU32(expected.data(), 12, 120);
  PutU32(expected.data(), 16, 0x1B0501);
  PutU32(expected.data(), 24, 544);
  PutU32(expected.data(), 28, 512);
  const std::uint8_t regs[] = {0x00, 0x01, 0x01, 0x00, 0x00, 0xB0, 0xEC, 0x00, 0x01};
  std::memcpy(expected.data() + 32, regs, sizeof regs);  // registers, then bDriveNumber 1
  EXPECT_EQ(miniport.input, expected);
}

TEST(IdentifyDevice, MiniportReplyNeedsFiveHundredFiftySixBytes) {
  for (const std::uint32_t replyBytes : {556u, 555u}) {
    VirtualDrive drive = MiniportOnly();
    RequestFault reply;
    reply.controlCode = IOCTL_SCSI_MINIPORT;
    reply.replyBytes = replyBytes;
    drive.requestFaults.push_back(reply);
    VirtualOs os(test::MachineWith(drive));
    AtaSector data;
    data.fill(0x5A);
    EXPECT_EQ(Identify(os, 0, data), replyBytes == 556) << replyBytes;
    EXPECT_EQ(HasModel(data), replyBytes == 556) << replyBytes;
    if (replyBytes == 555) {
      EXPECT_EQ(data[0], 0x5A);
    }
  }
}

TEST(IdentifyDevice, FailsWhenNeitherPathAnswersAndKeepsTheBuffer) {
  VirtualDrive silent = HardDisk();
  silent.ata.identify.reset();  // the drive aborts IDENTIFY on every path
  silent.ata.miniportAnswers = true;
  VirtualOs os(test::MachineWith(silent));
  AtaSector data;
  data.fill(0x5A);
  EXPECT_FALSE(Identify(os, 0, data));
  EXPECT_EQ(data[0], 0x5A);
  const auto requests = PassThroughRequests(os);
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[2].controlCode, IOCTL_SCSI_MINIPORT);
}

}  // namespace
}  // namespace orvella
