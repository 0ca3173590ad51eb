// SCSI commands on Linux: REPORT SUPPORTED OPERATION CODES and REQUEST SENSE
// pass always, SANITIZE only as the program sends it and only while the run
// holds the whole disk; what SG_IO hands back becomes the command's answer.
#include <gtest/gtest.h>

#include <cerrno>

#include "device/erase_commands.h"
#include "fake_kernel.h"
#include "platform/linux/scsi_requests.h"

namespace orvella::linux_backend {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Direction = ScsiCommand::Direction;

ScsiCommand Sense(std::uint8_t allocation = 32, std::size_t buffer = 32) {
  return ScsiCommand::Of(ScsiRequestSenseCdb(allocation), Direction::In, Bytes(buffer, 0));
}

ScsiCommand Report(std::uint32_t allocation = 16, std::size_t buffer = 16) {
  return ScsiCommand::Of(ScsiReportOneCommandCdb(scsi::Sanitize, 2, allocation), Direction::In, Bytes(buffer, 0));
}

ScsiCommand Sanitize(std::uint8_t action) {
  if (action != scsi::SanitizeOverwrite) return ScsiCommand::Of(ScsiSanitizeCdb(action));
  return ScsiCommand::Of(ScsiSanitizeCdb(action, 8), Direction::Out, ScsiOverwriteParameters(0));
}

TEST(ScsiAllowList, ReadingCommandsPassAlwaysWithinTheirBuffers) {
  for (const bool claimed : {false, true}) {
    EXPECT_EQ(PermittedScsi(Sense(), claimed), ScsiUse::Reading);
    EXPECT_EQ(PermittedScsi(Report(), claimed), ScsiUse::Reading);
  }
  // An allocation length past the buffer, no buffer, or data going out.
  EXPECT_EQ(PermittedScsi(Sense(64, 32)), std::nullopt);
  EXPECT_EQ(PermittedScsi(Report(4096, 16)), std::nullopt);
  ScsiCommand outward = Sense();
  outward.direction = Direction::Out;
  EXPECT_EQ(PermittedScsi(outward), std::nullopt);
  EXPECT_EQ(PermittedScsi(ScsiCommand::Of(ScsiRequestSenseCdb(32))), std::nullopt);
  // Other MAINTENANCE IN service actions, other commands (WRITE SAME(16), FORMAT UNIT) never.
  ScsiCommand targets = Report();
  targets.cdb[1] = 0x0A;
  EXPECT_EQ(PermittedScsi(targets, true), std::nullopt);
  EXPECT_EQ(PermittedScsi(ScsiCommand::Of(std::array<std::uint8_t, 16>{0x93}), true), std::nullopt);
  EXPECT_EQ(PermittedScsi(ScsiCommand::Of(std::array<std::uint8_t, 6>{0x04}), true), std::nullopt);
}

TEST(ScsiAllowList, SanitizePassesOnlyOnAClaimedDiskAsTheProgramSendsIt) {
  for (const std::uint8_t action : {scsi::SanitizeOverwrite, scsi::SanitizeBlockErase, scsi::SanitizeCryptoErase}) {
    EXPECT_EQ(PermittedScsi(Sanitize(action)), std::nullopt) << int{action};
    EXPECT_EQ(PermittedScsi(Sanitize(action), true), ScsiUse::Erasing) << int{action};
    ScsiCommand waiting = Sanitize(action);
    waiting.cdb[1] &= 0x7F;  // without IMMED the request would hold SG_IO for hours
    EXPECT_EQ(PermittedScsi(waiting, true), std::nullopt) << int{action};
    ScsiCommand ause = Sanitize(action);
    ause.cdb[1] |= 0x20;
    EXPECT_EQ(PermittedScsi(ause, true), std::nullopt) << int{action};
  }
  EXPECT_EQ(PermittedScsi(ScsiCommand::Of(ScsiSanitizeCdb(scsi::SanitizeExitFailureMode)), true), std::nullopt);
  // An overwrite without its parameter list, or with a length that is not the list's.
  EXPECT_EQ(PermittedScsi(ScsiCommand::Of(ScsiSanitizeCdb(scsi::SanitizeOverwrite)), true), std::nullopt);
  ScsiCommand shortList = Sanitize(scsi::SanitizeOverwrite);
  shortList.data.pop_back();
  EXPECT_EQ(PermittedScsi(shortList, true), std::nullopt);
  // A block erase that carries data.
  ScsiCommand carrying = Sanitize(scsi::SanitizeBlockErase);
  carrying.direction = Direction::Out;
  carrying.data = {0};
  EXPECT_EQ(PermittedScsi(carrying, true), std::nullopt);
}

// A stand-in kernel with one disk node, open as `fd`.
struct SgRig {
  test::FakeKernel kernel;
  int fd = [this] {
    kernel.nodes["/dev/sdz"] = {};
    return kernel.Open("/dev/sdz", 0);
  }();
};

TEST(ScsiThroughSgIo, TheDevicesAnswerComesBackInTheCommand) {
  SgRig rig;
  test::FakeKernel& kernel = rig.kernel;
  kernel.sgIo = [](sg_io_hdr_t& h) {
    EXPECT_EQ(h.dxfer_direction, SG_DXFER_FROM_DEV);
    EXPECT_EQ(h.dxfer_len, 32u);
    EXPECT_EQ(h.mx_sb_len, 32);
    static_cast<std::uint8_t*>(h.dxferp)[0] = 0x70;
    h.resid = 14;
    return 0;
  };
  ScsiCommand sense = Sense();
  EXPECT_EQ(RunScsiCommand(kernel, rig.fd, sense), 0u);
  EXPECT_EQ(sense.status, scsi::StatusGood);
  EXPECT_EQ(sense.Received(), 18u);
  EXPECT_EQ(sense.data[0], 0x70);
  EXPECT_EQ(kernel.cdbs.back(), (Bytes{0x03, 0, 0, 0, 32, 0}));

  kernel.sgIo = [](sg_io_hdr_t& h) {
    EXPECT_EQ(h.dxfer_direction, SG_DXFER_TO_DEV);
    EXPECT_EQ(h.dxfer_len, 8u);
    h.status = 0x02;
    h.driver_status = 0x08;
    const std::uint8_t refused[] = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x24, 0x00, 0, 0, 0, 0};
    std::copy(std::begin(refused), std::end(refused), h.sbp);
    h.sb_len_wr = sizeof refused;
    return 0;
  };
  ScsiCommand overwrite = Sanitize(scsi::SanitizeOverwrite);
  EXPECT_EQ(RunScsiCommand(kernel, rig.fd, overwrite), 0u);
  EXPECT_EQ(overwrite.status, scsi::StatusCheckCondition);
  EXPECT_EQ(DecodeScsiSanitizeSense(overwrite.sense.data(), overwrite.sense.size()).asc, 0x24);
}

TEST(ScsiThroughSgIo, ADriveGoneOrAHostFailureIsNoAnswer) {
  SgRig rig;
  test::FakeKernel& kernel = rig.kernel;
  kernel.sgIo = [](sg_io_hdr_t& h) {
    h.host_status = 0x01;  // no connection: the drive has gone
    return 0;
  };
  ScsiCommand sense = Sense();
  EXPECT_EQ(RunScsiCommand(kernel, rig.fd, sense), ERROR_DEV_NOT_EXIST);
  kernel.sgIo = [](sg_io_hdr_t&) { return -ENODEV; };
  EXPECT_NE(RunScsiCommand(kernel, rig.fd, sense), 0u);
  kernel.sgIo = nullptr;  // no SG_IO at all
  EXPECT_EQ(RunScsiCommand(kernel, rig.fd, sense), ERROR_INVALID_FUNCTION);
}

}  // namespace
}  // namespace orvella::linux_backend
