#include "device/erase_commands.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvella {
namespace {

std::vector<std::uint8_t> Registers(const TIDERegisterBlock& r) {
  return {r.bFeaturesReg, r.bSectorCountReg, r.bSectorNumberReg, r.bCylLowReg,
          r.bCylHighReg,  r.bDriveHeadReg,   r.bCommandReg};
}
using Bytes = std::vector<std::uint8_t>;

TEST(AtaSanitizeCommand, FeatureKeyAndFailureModeBitInTheTaskFile) {
  const AtaTaskFileCommand block = AtaSanitizeCommand(AtaSanitizeAction::BlockErase);
  EXPECT_TRUE(block.ext48);
  EXPECT_FALSE(block.dataIn || block.dataOut);
  // features 0012h, count 0010h, LBA 0000426B4572h, device 40h, command B4h
  EXPECT_EQ(Registers(block.current), (Bytes{0x12, 0x10, 0x72, 0x45, 0x6B, 0x40, 0xB4}));
  EXPECT_EQ(Registers(block.previous), (Bytes{0x00, 0x00, 0x42, 0x00, 0x00, 0x00, 0x00}));

  const AtaTaskFileCommand crypto = AtaSanitizeCommand(AtaSanitizeAction::CryptoScramble);
  EXPECT_EQ(Registers(crypto.current), (Bytes{0x11, 0x10, 0x70, 0x79, 0x72, 0x40, 0xB4}));
  EXPECT_EQ(Registers(crypto.previous), (Bytes{0x00, 0x00, 0x43, 0x00, 0x00, 0x00, 0x00}));
}

TEST(AtaSanitizeCommand, OverwriteCarriesItsKeyInLba47To32AndPatternAndPasses) {
  const AtaTaskFileCommand once = AtaSanitizeCommand(AtaSanitizeAction::Overwrite, 0x00000000, 1);
  EXPECT_EQ(Registers(once.current), (Bytes{0x14, 0x11, 0x00, 0x00, 0x00, 0x40, 0xB4}));
  EXPECT_EQ(Registers(once.previous), (Bytes{0x00, 0x00, 0x00, 0x57, 0x4F, 0x00, 0x00}));
  const AtaTaskFileCommand patterned = AtaSanitizeCommand(AtaSanitizeAction::Overwrite, 0xA1B2C3D4, 16);
  EXPECT_EQ(patterned.current.bSectorCountReg, 0x10);  // 16 passes are written as 0
  EXPECT_EQ(Registers(patterned.current), (Bytes{0x14, 0x10, 0xD4, 0xC3, 0xB2, 0x40, 0xB4}));
  EXPECT_EQ(patterned.previous.bSectorNumberReg, 0xA1);
}

TEST(AtaSanitizeCommand, StatusIsFeatureZeroWithoutAKey) {
  const AtaTaskFileCommand status = AtaSanitizeStatusCommand();
  EXPECT_EQ(Registers(status.current), (Bytes{0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0xB4}));
  EXPECT_EQ(Registers(status.previous), (Bytes{0, 0, 0, 0, 0, 0, 0}));
}

TEST(AtaSecurityCommands, PasswordSectorAndDataDirections) {
  const AtaSector normal = SecurityPasswordSector();
  EXPECT_EQ(normal[0], 0x00);  // user password, level High
  EXPECT_EQ(normal[1], 0x00);
  EXPECT_EQ(Bytes(normal.begin() + 2, normal.begin() + 10), (Bytes{'O', 'r', 'v', 'e', 'l', 'l', 'a', 0}));
  EXPECT_EQ(normal[33], 0);
  EXPECT_EQ(SecurityPasswordSector(true)[0], 0x02);  // enhanced
  EXPECT_TRUE(AtaSecurityCommand(ata::SecuritySetPassword).dataOut);
  EXPECT_TRUE(AtaSecurityCommand(ata::SecurityEraseUnit).dataOut);
  EXPECT_TRUE(AtaSecurityCommand(ata::SecurityDisablePassword).dataOut);
  EXPECT_FALSE(AtaSecurityCommand(ata::SecurityErasePrepare).dataOut);
  EXPECT_EQ(AtaSecurityCommand(ata::SecurityErasePrepare).current.bCommandReg, 0xF3);
}

TEST(NvmeCommands, SanitizeActionsInDword10AndTheOverwritePattern) {
  const NvmeAdminCommand block = NvmeSanitizeCommand(NvmeSanitizeAction::BlockErase);
  EXPECT_EQ(block.Opcode(), 0x84);
  EXPECT_EQ(block.NamespaceId(), 0u);
  EXPECT_EQ(block.Dword(10), 2u);
  EXPECT_EQ(NvmeSanitizeCommand(NvmeSanitizeAction::CryptoErase).Dword(10), 4u);
  const NvmeAdminCommand overwrite = NvmeSanitizeCommand(NvmeSanitizeAction::Overwrite, 0x5A5A5A5A);
  EXPECT_EQ(overwrite.Dword(10), 0x13u);  // one pass
  EXPECT_EQ(overwrite.Dword(11), 0x5A5A5A5Au);
  EXPECT_FALSE(block.dataIn);
}

TEST(NvmeCommands, FormatKeepsTheLbaFormatMetadataAndProtectionInUse) {
  NvmeNamespace ns;
  ns.formatInUse = 1;
  ns.metadataAtEnd = true;
  ns.protectionType = 2;
  ns.protectionFirst = true;
  const NvmeAdminCommand user = NvmeFormatCommand(ns, 1, NvmeSecureErase::UserData);
  EXPECT_EQ(user.Opcode(), 0x80);
  EXPECT_EQ(user.NamespaceId(), 1u);
  // LBAF 1, MSET, PI 2, PIL, SES 1
  EXPECT_EQ(user.Dword(10), 0x1u | 0x10u | (2u << 5) | 0x100u | (1u << 9));
  ns = NvmeNamespace{};
  ns.formatInUse = 17;
  const NvmeAdminCommand crypto = NvmeFormatCommand(ns, nvme::AllNamespaces, NvmeSecureErase::Cryptographic);
  EXPECT_EQ(crypto.NamespaceId(), 0xFFFFFFFFu);
  EXPECT_EQ(crypto.Dword(10), 0x1u | (2u << 9) | (1u << 12));
}

TEST(NvmeCommands, IdentifyAndLogPageReads) {
  const NvmeAdminCommand controller = NvmeIdentifyCommand(1, 0);
  EXPECT_EQ(controller.Opcode(), 0x06);
  EXPECT_EQ(controller.Dword(10), 1u);
  EXPECT_TRUE(controller.dataIn);
  EXPECT_EQ(controller.data.size(), 4096u);
  const NvmeAdminCommand log = NvmeLogPageCommand(0x81, 512);
  EXPECT_EQ(log.Opcode(), 0x02);
  EXPECT_EQ(log.Dword(10), 0x81u | (127u << 16));
  EXPECT_EQ(log.Dword(11), 0u);
  EXPECT_EQ(log.NamespaceId(), 0xFFFFFFFFu);
}

TEST(ScsiCommands, SanitizeWithImmedAndItsParameterList) {
  const auto crypto = ScsiSanitizeCdb(scsi::SanitizeCryptoErase);
  EXPECT_EQ(Bytes(crypto.begin(), crypto.end()), (Bytes{0x48, 0x83, 0, 0, 0, 0, 0, 0, 0, 0}));
  const auto parameters = ScsiOverwriteParameters(0xDEADBEEF);
  EXPECT_EQ(parameters, (Bytes{0x01, 0x00, 0x00, 0x04, 0xDE, 0xAD, 0xBE, 0xEF}));
  const auto overwrite = ScsiSanitizeCdb(scsi::SanitizeOverwrite, static_cast<std::uint16_t>(parameters.size()));
  EXPECT_EQ(Bytes(overwrite.begin(), overwrite.end()), (Bytes{0x48, 0x81, 0, 0, 0, 0, 0, 0, 8, 0}));
  const auto report = ScsiReportOneCommandCdb(0x48, 0x02, 4096);
  EXPECT_EQ(Bytes(report.begin(), report.end()), (Bytes{0xA3, 0x0C, 0x02, 0x48, 0x00, 0x02, 0, 0, 0x10, 0, 0, 0}));
}

TEST(ScsiCommands, SupportFieldOfTheOneCommandReply) {
  const std::uint8_t standard[] = {0, 0x03, 0, 10};
  const std::uint8_t vendor[] = {0, 0x85, 0, 10};
  const std::uint8_t notSupported[] = {0, 0x01, 0, 0};
  EXPECT_TRUE(ScsiCommandSupported(standard, sizeof standard));
  EXPECT_TRUE(ScsiCommandSupported(vendor, sizeof vendor));
  EXPECT_FALSE(ScsiCommandSupported(notSupported, sizeof notSupported));
  EXPECT_FALSE(ScsiCommandSupported(standard, 1));
}

TEST(ScsiCommands, SanitizeProgressFromFixedAndDescriptorSense) {
  std::uint8_t fixed[18] = {0x70, 0, 0x02, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x04, 0x1B, 0, 0x80, 0x40, 0x00};
  const ScsiSanitizeProgress f = DecodeScsiSanitizeSense(fixed, sizeof fixed);
  EXPECT_TRUE(f.inProgress && f.progressKnown);
  EXPECT_EQ(f.progress, 0x4000);
  const std::uint8_t descriptor[] = {0x72, 0x02, 0x04, 0x1B, 0, 0, 0, 8, 0x02, 0x06, 0, 0, 0x80, 0xC0, 0x00, 0};
  const ScsiSanitizeProgress d = DecodeScsiSanitizeSense(descriptor, sizeof descriptor);
  EXPECT_TRUE(d.inProgress && d.progressKnown);
  EXPECT_EQ(d.progress, 0xC000);
  fixed[2] = 0x00;  // no sense: the sanitize has ended
  fixed[15] = 0;
  EXPECT_FALSE(DecodeScsiSanitizeSense(fixed, sizeof fixed).inProgress);
  EXPECT_FALSE(DecodeScsiSanitizeSense(fixed, 4).inProgress);
}

TEST(ScsiCommands, AFailedSanitizeIsToldFromOtherMediumErrors) {
  std::uint8_t fixed[18] = {0x70, 0, 0x03, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x31, 0x03, 0, 0, 0, 0};
  const ScsiSanitizeProgress failed = DecodeScsiSanitizeSense(fixed, sizeof fixed);
  EXPECT_TRUE(failed.failed);
  EXPECT_FALSE(failed.inProgress);
  fixed[13] = 0x00;  // 31h/00h: a medium format corrupted, not a failed sanitize
  EXPECT_FALSE(DecodeScsiSanitizeSense(fixed, sizeof fixed).failed);
  const std::uint8_t descriptor[] = {0x72, 0x03, 0x31, 0x03, 0, 0, 0, 0};
  EXPECT_TRUE(DecodeScsiSanitizeSense(descriptor, sizeof descriptor).failed);
}

}  // namespace
}  // namespace orvella
