#include "device/erase_methods.h"

#include <gtest/gtest.h>

namespace orvella {
namespace {

DriveEraseFacts AtaSsd() {
  DriveEraseFacts f;
  f.interface = DriveInterface::Ata;
  f.flash = true;
  AtaEraseCapabilities ata;
  ata.sanitizeSupported = ata.blockErase = ata.cryptoScramble = true;
  ata.securitySupported = ata.enhancedEraseSupported = true;
  f.ata = ata;
  f.ataSanitize = AtaSanitizeStatus{};
  return f;
}

DriveEraseFacts NvmeDrive() {
  DriveEraseFacts f;
  f.interface = DriveInterface::Nvme;
  f.flash = true;
  NvmeController c;
  c.sanitizeBlock = c.sanitizeCrypto = true;
  c.formatNvm = c.cryptoEraseByFormat = true;
  f.nvme = c;
  NvmeNamespace n;
  n.blockSize = 512;
  f.nvmeNamespace = n;
  f.nvmeSanitize = NvmeSanitizeLog{};
  return f;
}

TEST(EraseMethodNames, RoundTripAndUnknownNames) {
  for (EraseMethod m : kEraseMethods) EXPECT_EQ(EraseMethodNamed(EraseMethodName(m)), m);
  EXPECT_EQ(EraseMethodNamed("crypto"), std::nullopt);
  EXPECT_EQ(EraseMethodNamed(""), std::nullopt);
}

TEST(DriveMethods, AnAtaSsdOffersWhatItsIdentifyDataClaims) {
  const DriveEraseFacts f = AtaSsd();
  EXPECT_TRUE(ChooseMethod(EraseMethod::BlockErase, f).available);
  EXPECT_TRUE(ChooseMethod(EraseMethod::CryptoErase, f).available);
  // Security supported, no password, not frozen: the security erase is offered.
  EXPECT_TRUE(ChooseMethod(EraseMethod::SecurityErase, f).available);
  EXPECT_EQ(ChooseMethod(EraseMethod::SecurityEraseEnhanced, f).category, SanitizationCategory::Clear)
      << "an enhanced security erase of a flash drive is the maker's choice: a Clear";
  const MethodChoice overwrite = ChooseMethod(EraseMethod::DriveOverwrite, f);
  EXPECT_FALSE(overwrite.available);
  EXPECT_EQ(overwrite.reason, u"the drive does not offer OVERWRITE EXT");
  EXPECT_EQ(ChooseMethod(EraseMethod::FormatErase, f).reason, u"Format NVM is a command of NVMe drives");
}

TEST(DriveMethods, CategoriesAndTheNoteOnZerosOverFlash) {
  const MethodChoice zeros = ChooseMethod(EraseMethod::Zeros, AtaSsd());
  EXPECT_TRUE(zeros.available);
  EXPECT_EQ(zeros.category, SanitizationCategory::Clear);
  EXPECT_NE(zeros.note.find(u"a Purge needs the drive's own sanitize"), std::u16string::npos);
  DriveEraseFacts disk = AtaSsd();
  disk.flash = false;
  EXPECT_TRUE(ChooseMethod(EraseMethod::Zeros, disk).note.empty());
  EXPECT_EQ(ChooseMethod(EraseMethod::SecurityEraseEnhanced, disk).category, SanitizationCategory::Purge);
  EXPECT_EQ(ChooseMethod(EraseMethod::SecurityEraseEnhanced, AtaSsd()).category, SanitizationCategory::Clear);
  const MethodChoice crypto = ChooseMethod(EraseMethod::CryptoErase, AtaSsd());
  EXPECT_EQ(crypto.category, SanitizationCategory::Purge);
  EXPECT_EQ(crypto.technique, "cryptographic erase");
  EXPECT_EQ(ChooseMethod(EraseMethod::FormatErase, NvmeDrive()).category, SanitizationCategory::Clear);
}

TEST(DriveMethods, SecurityStatesRefuseWithTheirReasons) {
  DriveEraseFacts f = AtaSsd();
  f.ata->securityFrozen = true;
  const std::u16string frozen = ChooseMethod(EraseMethod::SecurityErase, f).reason;
  EXPECT_NE(frozen.find(u"frozen"), std::u16string::npos);
  EXPECT_NE(frozen.find(u"suspend the computer and resume it"), std::u16string::npos);
  f.ata->securityEnabled = true;
  EXPECT_NE(ChooseMethod(EraseMethod::SecurityErase, f).reason.find(u"a user password is set"), std::u16string::npos);
  f.ata->securityLocked = true;
  EXPECT_NE(ChooseMethod(EraseMethod::SecurityErase, f).reason.find(u"locked"), std::u16string::npos);
  f = AtaSsd();
  f.ata->enhancedEraseSupported = false;
  EXPECT_FALSE(ChooseMethod(EraseMethod::SecurityEraseEnhanced, f).available);
  f.ata->securityCountExpired = true;
  EXPECT_FALSE(ChooseMethod(EraseMethod::SecurityErase, f).available);
}

TEST(DriveMethods, SanitizeStatesRefuseEverySanitize) {
  DriveEraseFacts f = AtaSsd();
  f.ataSanitize->frozen = true;
  EXPECT_NE(ChooseMethod(EraseMethod::BlockErase, f).reason.find(u"frozen"), std::u16string::npos);
  f.ataSanitize->inProgress = true;
  EXPECT_EQ(ChooseMethod(EraseMethod::CryptoErase, f).reason,
            u"a sanitize started earlier is still running on the drive");
  f = AtaSsd();
  f.ataSanitize->lastSanitizeFailed = true;
  f.ataSanitize->failureReason = 1;
  EXPECT_NE(ChooseMethod(EraseMethod::BlockErase, f).reason.find(u"last sanitize failed"), std::u16string::npos);
  // The zero overwrite stays possible; the drive decides what it does with it.
  EXPECT_TRUE(ChooseMethod(EraseMethod::Zeros, f).available);

  DriveEraseFacts n = NvmeDrive();
  n.nvmeSanitize->state = NvmeSanitizeState::Failed;
  EXPECT_FALSE(ChooseMethod(EraseMethod::BlockErase, n).available);
  EXPECT_FALSE(ChooseMethod(EraseMethod::FormatErase, n).available);
  n.nvmeSanitize.reset();
  EXPECT_EQ(ChooseMethod(EraseMethod::BlockErase, n).reason, u"the drive's sanitize status log could not be read");
}

// A drive locked by its password aborts every write of its user area: the
// overwrite is out of reach as much as the security erase, for the same reason.
TEST(DriveMethods, ALockedDriveOffersNoOverwriteEither) {
  DriveEraseFacts f = AtaSsd();
  f.ata->securityLocked = f.ata->securityEnabled = true;
  for (const EraseMethod method : {EraseMethod::Zeros, EraseMethod::SecurityErase}) {
    const MethodChoice choice = ChooseMethod(method, f);
    EXPECT_FALSE(choice.available) << EraseMethodName(method);
    EXPECT_EQ(choice.reason, u"the drive is locked by a password; unlock it first (orvella-cli unlock)");
  }
  f.ata->securityLocked = false;
  EXPECT_TRUE(ChooseMethod(EraseMethod::Zeros, f).available) << "a password set but unlocked takes writes";
}

TEST(DriveMethods, NvmeCryptoEraseFallsBackToFormatOnlyWhereFnaSaysSo) {
  DriveEraseFacts n = NvmeDrive();
  EXPECT_TRUE(ChooseMethod(EraseMethod::CryptoErase, n).available);
  n.nvme->sanitizeCrypto = false;
  EXPECT_TRUE(ChooseMethod(EraseMethod::CryptoErase, n).available);  // Format NVM, SES 2
  // A controller with FNA and SANICAP 0 (as QEMU's) is refused, even if it
  // would accept the command.
  n.nvme->cryptoEraseByFormat = false;
  EXPECT_EQ(ChooseMethod(EraseMethod::CryptoErase, n).reason,
            u"the drive does not offer a cryptographic erase by Format NVM");
  EXPECT_TRUE(ChooseMethod(EraseMethod::FormatErase, n).available);
  n.nvme->formatNvm = false;
  EXPECT_FALSE(ChooseMethod(EraseMethod::FormatErase, n).available);
  n = NvmeDrive();
  n.nvmeNamespace->blockSize = 0;
  EXPECT_FALSE(ChooseMethod(EraseMethod::FormatErase, n).available);
  EXPECT_EQ(ChooseMethod(EraseMethod::SecurityErase, n).reason, u"SECURITY ERASE UNIT is a command of ATA drives");
}

// Methods the drive offers but Windows would not pass are refused with
// Windows' reason; what Windows passes stays available.
TEST(DriveMethods, WindowsLimitsRefuseWhatItWouldNotPass) {
  DriveEraseFacts a = AtaSsd();
  a.limits = WindowsEraseLimits(false);
  for (EraseMethod m : {EraseMethod::BlockErase, EraseMethod::CryptoErase, EraseMethod::SecurityErase}) {
    const MethodChoice choice = ChooseMethod(m, a);
    EXPECT_FALSE(choice.available) << EraseMethodName(m);
    EXPECT_EQ(choice.reason.find(u"Windows passes the drive's own erase commands"), 0u) << EraseMethodName(m);
  }
  EXPECT_TRUE(ChooseMethod(EraseMethod::Zeros, a).available);
  // The drive's own reason comes first: Windows is no reason for a method the drive lacks.
  EXPECT_EQ(ChooseMethod(EraseMethod::DriveOverwrite, a).reason, u"the drive does not offer OVERWRITE EXT");

  a.limits = WindowsEraseLimits(true);
  EXPECT_TRUE(ChooseMethod(EraseMethod::BlockErase, a).available);
  EXPECT_TRUE(ChooseMethod(EraseMethod::CryptoErase, a).available);
  EXPECT_NE(ChooseMethod(EraseMethod::SecurityErase, a).reason.find(u"a user password of its own"), std::u16string::npos);

  DriveEraseFacts n = NvmeDrive();
  n.nvme->sanitizeOverwrite = true;
  n.limits = WindowsEraseLimits(false);
  EXPECT_TRUE(ChooseMethod(EraseMethod::BlockErase, n).available);
  EXPECT_TRUE(ChooseMethod(EraseMethod::CryptoErase, n).available);  // sanitize, which Windows passes
  EXPECT_EQ(ChooseMethod(EraseMethod::DriveOverwrite, n).reason.find(u"Windows does not let programs send an NVMe"), 0u);
  EXPECT_EQ(ChooseMethod(EraseMethod::FormatErase, n).reason.find(u"Windows does not let programs send the NVMe"), 0u);
  n.nvme->sanitizeCrypto = false;  // a crypto erase would be a Format NVM
  EXPECT_FALSE(ChooseMethod(EraseMethod::CryptoErase, n).available);
}

TEST(DriveMethods, SticksCardsBridgesAndUnknownDrivesOfferOnlyZeros) {
  for (DriveInterface i : {DriveInterface::NoStandardPurge, DriveInterface::UsbBridge, DriveInterface::Unknown}) {
    DriveEraseFacts f;
    f.interface = i;
    for (const MethodChoice& c : DriveMethods(f)) {
      EXPECT_EQ(c.available, c.method == EraseMethod::Zeros) << EraseMethodName(c.method);
      EXPECT_EQ(c.reason.empty(), c.available);
    }
  }
  DriveEraseFacts stick;
  stick.interface = DriveInterface::NoStandardPurge;
  EXPECT_NE(ChooseMethod(EraseMethod::FormatErase, stick).reason.find(u"no standard command"), std::u16string::npos);
}

TEST(DriveMethods, ScsiSanitizeIsOfferedAsTheDriveReportsItsServiceActions) {
  DriveEraseFacts f;
  f.interface = DriveInterface::Scsi;
  EXPECT_EQ(ChooseMethod(EraseMethod::BlockErase, f).reason,
            u"the drive did not say which SANITIZE service actions it supports");
  f.scsiAsked = f.scsiBlockErase = true;
  EXPECT_TRUE(ChooseMethod(EraseMethod::BlockErase, f).available);
  EXPECT_EQ(ChooseMethod(EraseMethod::CryptoErase, f).reason, u"the drive does not offer SANITIZE CRYPTOGRAPHIC ERASE");
  f.scsiSanitize = ScsiSanitizeProgress{};
  f.scsiSanitize->inProgress = true;
  EXPECT_EQ(ChooseMethod(EraseMethod::BlockErase, f).reason, u"a sanitize started earlier is still running on the drive");
  f.scsiSanitize = ScsiSanitizeProgress{};
  f.scsiSanitize->failed = true;
  EXPECT_NE(ChooseMethod(EraseMethod::BlockErase, f).reason.find(u"last sanitize failed"), std::u16string::npos);
}

}  // namespace
}  // namespace orvella
