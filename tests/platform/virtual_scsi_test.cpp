// How a simulated SAS drive answers SCSI commands: what it says it
// supports, how it refuses, and what REQUEST SENSE tells of a sanitize as
// simulated time passes.
#include <gtest/gtest.h>

#include "device/erase_commands.h"
#include "support/ata_drives.h"

namespace orvella {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Direction = ScsiCommand::Direction;

VirtualMachine SasMachine(std::optional<VirtualOwnErase> own) {
  VirtualDrive d = test::HardDisk();
  d.busType = BusTypeSas;
  d.ownErase = own;
  VirtualMachine m;
  m.drives.push_back(d);
  return m;
}

VirtualOwnErase BlockEraser() {
  VirtualOwnErase own;
  own.sanitizeBlock = true;
  own.milliseconds = 4000;
  return own;
}

struct VirtualScsiTest : ::testing::Test {
  std::int64_t clock = 0;
  VirtualOs os{SasMachine(BlockEraser()), [this](std::int64_t ms) { clock += ms; }};
  Handle handle = test::OpenDrive(os);

  ScsiSanitizeProgress Sense() {
    ScsiCommand c = ScsiCommand::Of(ScsiRequestSenseCdb(32), Direction::In, Bytes(32, 0xEE));
    EXPECT_EQ(os.SendScsi(handle, c), 0u);
    EXPECT_EQ(c.status, scsi::StatusGood);
    return DecodeScsiSanitizeSense(c.data.data(), c.Received());
  }
  ScsiSanitizeProgress Refusal(ScsiCommand c) {
    EXPECT_EQ(os.SendScsi(handle, c), 0u);
    EXPECT_EQ(c.status, scsi::StatusCheckCondition);
    return DecodeScsiSanitizeSense(c.sense.data(), c.sense.size());
  }
};

TEST_F(VirtualScsiTest, ReportsEachServiceActionAsTheStandardDoes) {
  const auto ask = [&](std::uint8_t action, std::uint32_t allocation) {
    ScsiCommand c = ScsiCommand::Of(ScsiReportOneCommandCdb(0x48, action, allocation), Direction::In, Bytes(16, 0xEE));
    EXPECT_EQ(os.SendScsi(handle, c), 0u);
    return c;
  };
  const ScsiCommand block = ask(0x02, 16);
  EXPECT_EQ(block.residual, 2u);
  EXPECT_EQ(Bytes(block.data.begin(), block.data.begin() + 6), (Bytes{0, 0x03, 0, 10, 0x48, 0xBF}));
  EXPECT_TRUE(ScsiCommandSupported(block.data.data(), block.Received()));
  const ScsiCommand crypto = ask(0x03, 16);
  EXPECT_FALSE(ScsiCommandSupported(crypto.data.data(), crypto.Received()));
  EXPECT_EQ(crypto.data[1], 0x01) << "not supported";
  EXPECT_EQ(ask(0x02, 2).Received(), 2u) << "cut to the allocation length";
}

TEST_F(VirtualScsiTest, RefusesWhatItDoesNotOfferWithItsSense) {
  const ScsiSanitizeProgress crypto = Refusal(ScsiCommand::Of(ScsiSanitizeCdb(0x03)));
  EXPECT_EQ(crypto.senseKey, 0x05);
  EXPECT_EQ(crypto.asc, 0x24);
  // EXIT FAILURE MODE needs a sanitize that allowed it (AUSE); none did.
  EXPECT_EQ(Refusal(ScsiCommand::Of(ScsiSanitizeCdb(0x1F))).asc, 0x24);
  const ScsiSanitizeProgress unknown = Refusal(ScsiCommand::Of(std::array<std::uint8_t, 6>{0x12, 0, 0, 0, 36, 0}));
  EXPECT_EQ(unknown.asc, 0x20) << "an invalid operation code";
  EXPECT_EQ(os.Medium(0).BytesWritten(), 0);
}

TEST_F(VirtualScsiTest, AnOverwriteWantsItsParameterList) {
  VirtualOwnErase own;
  own.sanitizeOverwrite = true;
  VirtualOs overwriter{SasMachine(own), [](std::int64_t) {}};
  const Handle h = test::OpenDrive(overwriter);
  ScsiCommand bare = ScsiCommand::Of(ScsiSanitizeCdb(0x01));
  ASSERT_EQ(overwriter.SendScsi(h, bare), 0u);
  EXPECT_EQ(bare.status, scsi::StatusCheckCondition);
  EXPECT_EQ(DecodeScsiSanitizeSense(bare.sense.data(), bare.sense.size()).asc, 0x26);
  const Bytes list = ScsiOverwriteParameters(0xA5A5A5A5);
  ScsiCommand full = ScsiCommand::Of(ScsiSanitizeCdb(0x01, 8), Direction::Out, list);
  ASSERT_EQ(overwriter.SendScsi(h, full), 0u);
  EXPECT_EQ(full.status, scsi::StatusGood);
  const RequestRecord& sent = overwriter.Requests().back();
  EXPECT_EQ(sent.kind, RequestRecord::Kind::Scsi);
  EXPECT_EQ(Bytes(sent.input.begin() + 10, sent.input.end()), list);
}

TEST_F(VirtualScsiTest, RequestSenseFollowsTheSanitizeToItsEnd) {
  EXPECT_EQ(Sense().senseKey, 0) << "nothing to say before";
  ScsiCommand start = ScsiCommand::Of(ScsiSanitizeCdb(0x02));
  ASSERT_EQ(os.SendScsi(handle, start), 0u);
  ASSERT_EQ(start.status, scsi::StatusGood);
  os.Sleep(1000);
  const ScsiSanitizeProgress quarter = Sense();
  EXPECT_TRUE(quarter.inProgress);
  ASSERT_TRUE(quarter.progressKnown);
  EXPECT_NEAR(quarter.progress, 0x4000, 0x100);
  // A second sanitize while one runs: NOT READY, sanitize in progress.
  EXPECT_TRUE(Refusal(ScsiCommand::Of(ScsiSanitizeCdb(0x02))).inProgress);
  os.Sleep(3000);
  const ScsiSanitizeProgress done = Sense();
  EXPECT_FALSE(done.inProgress || done.failed);
  EXPECT_EQ(done.senseKey, 0);
}

TEST(VirtualScsi, AFailureStaysUntilTheNextSanitizeAndAnUnplugEndsEverything) {
  VirtualOwnErase own = BlockEraser();
  own.lie = VirtualOwnErase::Lie::FailsHalfWay;
  VirtualOs os{SasMachine(own), [](std::int64_t) {}};
  const Handle h = test::OpenDrive(os);
  ScsiCommand start = ScsiCommand::Of(ScsiSanitizeCdb(0x02));
  ASSERT_EQ(os.SendScsi(h, start), 0u);
  os.Sleep(2500);
  ScsiSanitizeProgress sense;
  ScsiCommand ask = ScsiCommand::Of(ScsiRequestSenseCdb(32), ScsiCommand::Direction::In, Bytes(32, 0));
  ASSERT_EQ(os.SendScsi(h, ask), 0u);
  sense = DecodeScsiSanitizeSense(ask.data.data(), ask.Received());
  EXPECT_TRUE(sense.failed);
  EXPECT_EQ(sense.senseKey, 0x03);

  own.lie = VirtualOwnErase::Lie::UnpluggedHalfWay;
  VirtualOs leaving{SasMachine(own), [](std::int64_t) {}};
  const Handle l = test::OpenDrive(leaving);
  ScsiCommand go = ScsiCommand::Of(ScsiSanitizeCdb(0x02));
  ASSERT_EQ(leaving.SendScsi(l, go), 0u);
  leaving.Sleep(2500);
  ScsiCommand after = ScsiCommand::Of(ScsiRequestSenseCdb(32), ScsiCommand::Direction::In, Bytes(32, 0));
  EXPECT_EQ(leaving.SendScsi(l, after), 55u);
}

TEST(VirtualScsi, OnlyScsiAndSasDrivesTakeScsiCommands) {
  VirtualMachine m;
  m.drives.push_back(test::HardDisk());
  VirtualOs os{m, [](std::int64_t) {}};
  ScsiCommand c = ScsiCommand::Of(ScsiRequestSenseCdb(32), ScsiCommand::Direction::In, Bytes(32, 0));
  EXPECT_EQ(os.SendScsi(test::OpenDrive(os), c), ERROR_NOT_SUPPORTED);
  EXPECT_EQ(os.GetLastError(), ERROR_NOT_SUPPORTED);
}

}  // namespace
}  // namespace orvella
