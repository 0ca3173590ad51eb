#include "format/purge_run.h"

#include <gtest/gtest.h>

#include "format/format_procedure.h"
#include "format/security_erase.h"
#include "core/text.h"
#include "format_rig.h"
#include "platform/byte_order.h"

namespace orvella {
namespace {

using Kind = RequestRecord::Kind;
using Lie = VirtualOwnErase::Lie;
constexpr std::int64_t kSixteenMiB = 16 << 20;

VirtualDrive NvmeDrive(VirtualOwnErase own) {
  VirtualDrive d = test::Drive(kSixteenMiB);
  d.busType = BusTypeNvme;
  d.product = "NVME-A";
  d.nvme = VirtualNvme{};
  d.ownErase = own;
  return d;
}

VirtualOwnErase NvmeSanitizer() {
  VirtualOwnErase own;
  own.sanitizeBlock = own.sanitizeCrypto = true;
  own.formatNvm = true;
  own.milliseconds = 3000;
  return own;
}

// An ATA SSD claiming SANITIZE with block erase and crypto scramble.
VirtualDrive AtaSsd(VirtualOwnErase own = {}, std::uint16_t word59 = 0xB000) {
  VirtualDrive d = test::Drive(kSixteenMiB);
  d.busType = BusTypeSata;
  VirtualIdentify identify;
  identify.model = "SSD-A";
  identify.words = {{59, word59}, {82, 0x0002}, {128, 0x0021}, {217, 1}};
  d.ata.identify = identify;
  d.ownErase = own;
  return d;
}

// A SAS drive whose SANITIZE offers the service actions of `own`.
VirtualDrive SasDrive(VirtualOwnErase own) {
  VirtualDrive d = test::Drive(kSixteenMiB);
  d.busType = BusTypeSas;
  d.product = "SAS-A";
  d.ownErase = own;
  return d;
}

VirtualOwnErase ScsiSanitizer() {
  VirtualOwnErase own;
  own.sanitizeBlock = own.sanitizeCrypto = own.sanitizeOverwrite = true;
  own.milliseconds = 3000;
  return own;
}

struct PurgeRig : test::FormatRig {
  explicit PurgeRig(VirtualDrive drive) : FormatRig(drive) {
    t.program.DeviceTables[1].IdentifyData.BusType = drive.busType;
  }
  PurgeResult Run(EraseMethod method) {
    PurgeSurroundings s{t.os, t.clock, t.drive.DeviceHandle, t.drive.Entry(),
                        [this](const std::u16string& line) { lines.push_back(line); },
                        [this](std::optional<double> percent) { progress.push_back(percent.value_or(-1)); },
                        pollMilliseconds};
    return RunPurge(s, method, 42);
  }
  // The changing commands that reached the drive: ATA SANITIZE with a
  // feature other than the status, NVMe Sanitize and Format NVM.
  int ChangingCommands() const {
    int count = 0;
    for (const RequestRecord& r : t.os.Requests()) {
      if (r.kind == Kind::NvmeAdmin && (r.input[0] == 0x84 || r.input[0] == 0x80)) ++count;
      if (r.kind == Kind::Scsi && r.input[0] == 0x48) ++count;
      if (r.kind == Kind::Ioctl && r.controlCode == IOCTL_ATA_PASS_THROUGH && r.input.size() >= layout::AtaPtSize &&
          r.input[layout::AtaPtCurrentTaskFile + layout::IdeRegsCommand] == 0xB4 &&
          r.input[layout::AtaPtCurrentTaskFile + layout::IdeRegsFeatures] != 0)
        ++count;
    }
    return count;
  }
  std::uint8_t ByteAt(std::int64_t offset) {
    std::vector<std::uint8_t> sector(512);
    std::int64_t at = 0;
    std::uint32_t read = 0;
    t.os.SetFilePointerEx(t.drive.DeviceHandle, offset, &at, FILE_BEGIN);
    t.os.ReadFile(t.drive.DeviceHandle, sector.data(), 512, &read);
    return sector[0];
  }
  // The SCSI command blocks (and data sent) that reached the drive, of `opcode`.
  std::vector<std::vector<std::uint8_t>> ScsiSent(std::uint8_t opcode) const {
    std::vector<std::vector<std::uint8_t>> sent;
    for (const RequestRecord& r : t.os.Requests())
      if (r.kind == Kind::Scsi && r.input[0] == opcode) sent.push_back(r.input);
    return sent;
  }
  std::vector<std::u16string> lines;
  std::vector<double> progress;
  std::uint32_t pollMilliseconds = 500;
};

TEST(PurgeRun, NvmeCryptoEraseSendsTheSanitizePollsAndFindsEverySampleChanged) {
  PurgeRig rig(NvmeDrive(NvmeSanitizer()));
  const std::uint8_t before = rig.ByteAt(4096);
  const PurgeResult r = rig.Run(EraseMethod::CryptoErase);
  EXPECT_EQ(r.ending, PurgeEnding::Complete) << TextToUtf8(r.reason);
  EXPECT_EQ(r.command, "NVMe Sanitize (84h) crypto erase (SANACT 4), command dword 10 00000004h, all namespaces");
  EXPECT_EQ(r.estimateSeconds, 3);
  EXPECT_GE(r.polls.size(), 5u);
  EXPECT_EQ(r.polls.back().status, "completed");
  EXPECT_EQ(r.polls.front().status, "in progress");
  EXPECT_TRUE(r.check.passed);
  EXPECT_EQ(r.check.unchanged, 0);
  EXPECT_EQ(r.check.seed, 42u);
  EXPECT_GT(r.check.sectors, 2000);
  EXPECT_EQ(rig.ChangingCommands(), 1);
  EXPECT_NE(rig.ByteAt(4096), before);
  EXPECT_EQ(rig.progress.back(), 100.0);
}

TEST(PurgeRun, AtaBlockEraseLeavesOneUniformPatternOfZerosOrOnes) {
  for (const auto fill : {VirtualOwnErase::Fill::Zeros, VirtualOwnErase::Fill::Ones}) {
    VirtualOwnErase own;
    own.blockEraseFill = fill;
    PurgeRig rig(AtaSsd(own));
    const PurgeResult r = rig.Run(EraseMethod::BlockErase);
    EXPECT_EQ(r.ending, PurgeEnding::Complete) << TextToUtf8(r.reason);
    EXPECT_EQ(r.command,
              "ATA SANITIZE (B4h) BLOCK ERASE EXT (feature 0012h, key 426B4572h, failure mode bit set)");
    ASSERT_TRUE(r.check.pattern.has_value());
    EXPECT_EQ(*r.check.pattern, fill == VirtualOwnErase::Fill::Ones ? 0xFF : 0x00);
    EXPECT_EQ(r.polls.back().status, "completed without error");
  }
}

TEST(PurgeRun, NvmeFormatKeepsTheFormatAndIsCheckedLikeABlockErase) {
  PurgeRig rig(NvmeDrive(NvmeSanitizer()));
  const PurgeResult r = rig.Run(EraseMethod::FormatErase);
  EXPECT_EQ(r.ending, PurgeEnding::Complete) << TextToUtf8(r.reason);
  EXPECT_EQ(r.command,
            "NVMe Format NVM (80h), Secure Erase Settings 1 (user data erase), LBA format 0 kept, namespace 1, "
            "command dword 10 00000200h");
  EXPECT_EQ(r.check.pattern, 0);
  EXPECT_EQ(r.choice.category, SanitizationCategory::Clear);
}

TEST(PurgeRun, RefusalsSendNothing) {
  struct Case {
    VirtualDrive drive;
    EraseMethod method;
    const char16_t* reason;
  };
  VirtualOwnErase frozen;
  frozen.sanitizeFrozen = true;
  VirtualOwnErase running = NvmeSanitizer();
  running.state = VirtualOwnErase::State::InProgress;
  VirtualOwnErase failed = NvmeSanitizer();
  failed.state = VirtualOwnErase::State::Failed;
  // SAS drives: one with the block erase alone, one with no SANITIZE at all.
  VirtualOwnErase scsiBlockOnly;
  scsiBlockOnly.sanitizeBlock = true;
  VirtualOwnErase scsiRunning = ScsiSanitizer();
  scsiRunning.state = VirtualOwnErase::State::InProgress;
  VirtualOwnErase scsiFailed = ScsiSanitizer();
  scsiFailed.state = VirtualOwnErase::State::Failed;
  VirtualDrive scsiPlain = SasDrive({});
  scsiPlain.ownErase.reset();
  // QEMU's controller: Format NVM without FNA's crypto bit, yet it would take one.
  VirtualOwnErase qemu;
  qemu.formatNvm = qemu.acceptsUnclaimedCryptoFormat = true;
  const std::vector<Case> cases = {
      {AtaSsd(frozen), EraseMethod::BlockErase, u"frozen"},
      {AtaSsd({}, 0x9000), EraseMethod::CryptoErase, u"the drive does not offer CRYPTO SCRAMBLE EXT"},
      {NvmeDrive(running), EraseMethod::CryptoErase, u"still running"},
      {NvmeDrive(failed), EraseMethod::BlockErase, u"last sanitize failed"},
      {NvmeDrive(qemu), EraseMethod::CryptoErase, u"does not offer a cryptographic erase by Format NVM"},
      {NvmeDrive(NvmeSanitizer()), EraseMethod::DriveOverwrite, u"does not offer a sanitize overwrite"},
      {SasDrive(scsiBlockOnly), EraseMethod::CryptoErase, u"does not offer SANITIZE CRYPTOGRAPHIC ERASE"},
      {SasDrive(scsiBlockOnly), EraseMethod::DriveOverwrite, u"does not offer SANITIZE OVERWRITE"},
      {scsiPlain, EraseMethod::BlockErase, u"does not offer SANITIZE BLOCK ERASE"},
      {SasDrive(scsiRunning), EraseMethod::BlockErase, u"still running"},
      {SasDrive(scsiFailed), EraseMethod::CryptoErase, u"last sanitize failed"},
      {SasDrive(ScsiSanitizer()), EraseMethod::FormatErase, u"Format NVM is a command of NVMe drives"},
      {SasDrive(ScsiSanitizer()), EraseMethod::SecurityErase, u"SECURITY ERASE UNIT is a command of ATA drives"},
  };
  for (const Case& c : cases) {
    PurgeRig rig(c.drive);
    const PurgeResult r = rig.Run(c.method);
    EXPECT_EQ(r.ending, PurgeEnding::Refused) << TextToUtf8(c.reason);
    EXPECT_NE(r.reason.find(c.reason), std::u16string::npos) << TextToUtf8(r.reason);
    EXPECT_EQ(rig.ChangingCommands(), 0) << TextToUtf8(c.reason);
    EXPECT_EQ(rig.t.os.Medium(1).bytesRead, 0) << "nothing is read either";
    ASSERT_FALSE(rig.lines.empty());
    EXPECT_TRUE(rig.lines.back().ends_with(u"Nothing was sent to the drive."));
  }
}

// A command the system would not pass is refused with the system's reason
// before anything is read or sent, as a drive's own refusal is.
TEST(PurgeRun, WhatTheSystemWouldNotPassIsRefusedWithItsReason) {
  PurgeRig rig(AtaSsd());
  rig.t.os.eraseLimits_ = WindowsEraseLimits(false);
  const PurgeResult result = rig.Run(EraseMethod::BlockErase);
  EXPECT_EQ(result.ending, PurgeEnding::Refused);
  EXPECT_EQ(result.reason.find(u"Windows passes the drive's own erase commands"), 0u) << TextToUtf8(result.reason);
  EXPECT_EQ(rig.ChangingCommands(), 0);

  PurgeRig nvme(NvmeDrive(NvmeSanitizer()));
  nvme.t.os.eraseLimits_ = WindowsEraseLimits(false);
  EXPECT_EQ(nvme.Run(EraseMethod::FormatErase).ending, PurgeEnding::Refused);
  EXPECT_EQ(nvme.ChangingCommands(), 0);
  EXPECT_EQ(nvme.Run(EraseMethod::CryptoErase).ending, PurgeEnding::Complete) << "Windows passes a sanitize";
}

// A drive whose catalogue entry gives no size (none, or one past any byte
// offset) has no sample to read back: the purge is refused before anything
// is sent, not reported as checked on nothing.
TEST(PurgeRun, ADriveOfUnknownSizeIsRefusedRatherThanCheckedOnNothing) {
  for (const std::int64_t sectors : {std::int64_t{0}, std::int64_t{1} << 60}) {
    PurgeRig rig(NvmeDrive(NvmeSanitizer()));
    rig.t.program.DeviceTables[1].IdentifyData.LBA = sectors;
    const PurgeResult r = rig.Run(EraseMethod::BlockErase);
    EXPECT_EQ(r.ending, PurgeEnding::Refused) << sectors;
    EXPECT_NE(r.reason.find(u"size is not known"), std::u16string::npos) << TextToUtf8(r.reason);
    EXPECT_FALSE(r.check.passed);
    EXPECT_EQ(rig.ChangingCommands(), 0) << sectors;
  }
}

TEST(PurgeRun, ADriveThatReportsSuccessButChangesNothingIsNotComplete) {
  for (const EraseMethod method : {EraseMethod::CryptoErase, EraseMethod::BlockErase}) {
    VirtualOwnErase own = NvmeSanitizer();
    own.lie = Lie::ChangesNothing;
    PurgeRig rig(NvmeDrive(own));
    const PurgeResult r = rig.Run(method);
    EXPECT_EQ(r.ending, PurgeEnding::NotComplete);
    EXPECT_FALSE(r.check.passed);
    EXPECT_NE(r.reason.find(u"the check failed"), std::u16string::npos);
  }
}

TEST(PurgeRun, FailureHalfWayUnplugAndNoEndAreToldApart) {
  VirtualOwnErase fails = NvmeSanitizer();
  fails.lie = Lie::FailsHalfWay;
  PurgeRig failing(NvmeDrive(fails));
  const PurgeResult f = failing.Run(EraseMethod::BlockErase);
  EXPECT_EQ(f.ending, PurgeEnding::NotComplete);
  EXPECT_EQ(f.polls.back().status, "failed");

  VirtualOwnErase gone;
  gone.lie = Lie::UnpluggedHalfWay;
  PurgeRig unplugged(AtaSsd(gone));
  EXPECT_EQ(unplugged.Run(EraseMethod::CryptoErase).ending, PurgeEnding::Terminated);

  VirtualOwnErase endless = NvmeSanitizer();
  endless.lie = Lie::NeverCompletes;
  PurgeRig waiting(NvmeDrive(endless));
  const PurgeResult w = waiting.Run(EraseMethod::BlockErase);
  EXPECT_EQ(w.ending, PurgeEnding::NotComplete);
  EXPECT_EQ(w.timeoutSeconds, 2 * 3 + 60);
  EXPECT_NE(w.reason.find(u"did not report the end of the purge within 66 seconds"), std::u16string::npos);
}

TEST(PurgeRun, TheProcedureKeepsStopDisabledAndMapsTheEnding) {
  test::FormatRig rig(NvmeDrive(NvmeSanitizer()));
  rig.t.program.DeviceTables[1].IdentifyData.BusType = BusTypeNvme;
  test::RecordingFormatPage& page = rig.page;
  EraseChoices choices = page.Choices();
  choices.method = EraseMethod::CryptoErase;
  std::u16string question;
  FormatProcedure procedure(rig.t.drive, page);
  procedure.FormatDevice(choices, [&](const EraseQuestion& asked) {
    question = asked.content;
    return EraseAnswer::Erase;
  });
  const FormatRun& run = procedure.LastRun();
  ASSERT_TRUE(run.purge.has_value());
  EXPECT_EQ(run.purge->ending, PurgeEnding::Complete);
  EXPECT_EQ(run.loop.ending, WriteLoopEnding::Complete);
  EXPECT_FALSE(page.Enabled(FormatControl::Stop));
  EXPECT_NE(question.find(u"Method: crypto-erase"), std::u16string::npos);
  EXPECT_EQ(rig.Medium().BytesWritten(), 0) << "a purge writes nothing from the host";
}

using Bytes = std::vector<std::uint8_t>;

TEST(ScsiPurge, EachMethodSendsItsSanitizeWithImmedAndIsCheckedAfterwards) {
  struct Case {
    EraseMethod method;
    Bytes sent;  // the command block, then the parameter list
    const char* command;
  };
  const Case cases[] = {
      {EraseMethod::BlockErase, {0x48, 0x82, 0, 0, 0, 0, 0, 0, 0, 0},
       "SCSI SANITIZE (48h) BLOCK ERASE (service action 02h), IMMED, command block 48 82 00 00 00 00 00 00 00 00"},
      {EraseMethod::CryptoErase, {0x48, 0x83, 0, 0, 0, 0, 0, 0, 0, 0},
       "SCSI SANITIZE (48h) CRYPTOGRAPHIC ERASE (service action 03h), IMMED, command block 48 83 00 00 00 00 00 00 00 "
       "00"},
      {EraseMethod::DriveOverwrite, {0x48, 0x81, 0, 0, 0, 0, 0, 0, 8, 0, 0x01, 0, 0, 4, 0, 0, 0, 0},
       "SCSI SANITIZE (48h) OVERWRITE (service action 01h, 1 pass, pattern 00000000h), IMMED, command block 48 81 00 "
       "00 00 00 00 00 08 00"},
  };
  for (const Case& c : cases) {
    PurgeRig rig(SasDrive(ScsiSanitizer()));
    const std::uint8_t before = rig.ByteAt(4096);
    const PurgeResult r = rig.Run(c.method);
    EXPECT_EQ(r.ending, PurgeEnding::Complete) << TextToUtf8(r.reason);
    EXPECT_EQ(r.command, c.command);
    EXPECT_EQ(rig.ScsiSent(0x48), std::vector<Bytes>{c.sent});
    EXPECT_TRUE(r.check.passed);
    if (c.method == EraseMethod::CryptoErase) {
      EXPECT_NE(rig.ByteAt(4096), before);
      EXPECT_FALSE(r.check.pattern.has_value());
    } else {
      EXPECT_EQ(r.check.pattern, 0);
    }
    EXPECT_EQ(r.choice.category, SanitizationCategory::Purge);
    EXPECT_EQ(r.timeoutSeconds, 12 * 3600) << "SCSI gives no estimate";
  }
}

TEST(ScsiPurge, ProgressComesFromRequestSenseUntilNoSenseIsLeft) {
  PurgeRig rig(SasDrive(ScsiSanitizer()));
  const PurgeResult r = rig.Run(EraseMethod::BlockErase);
  ASSERT_EQ(r.ending, PurgeEnding::Complete) << TextToUtf8(r.reason);
  // Every poll is a REQUEST SENSE of 32 bytes, after the one that read the state before.
  EXPECT_EQ(rig.ScsiSent(0x03).size(), r.polls.size() + 1);
  EXPECT_EQ(rig.ScsiSent(0x03).front(), (Bytes{0x03, 0, 0, 0, 32, 0}));
  ASSERT_GE(r.polls.size(), 5u);
  EXPECT_EQ(r.polls.front().status, "in progress");
  ASSERT_TRUE(r.polls.front().percent.has_value());
  for (std::size_t i = 1; i + 1 < r.polls.size(); ++i) {
    ASSERT_TRUE(r.polls[i].percent.has_value());
    EXPECT_GT(*r.polls[i].percent, *r.polls[i - 1].percent);
  }
  EXPECT_EQ(r.polls.back().status, "completed");
  EXPECT_EQ(rig.progress.back(), 100.0);
  // REPORT SUPPORTED OPERATION CODES was asked for each service action, one command at a time.
  const auto asked = rig.ScsiSent(0xA3);
  ASSERT_GE(asked.size(), 3u);
  EXPECT_EQ(asked[0], (Bytes{0xA3, 0x0C, 0x02, 0x48, 0, 0x01, 0, 0, 0, 16, 0, 0}));
  EXPECT_EQ(asked[1][5], 0x02);
  EXPECT_EQ(asked[2][5], 0x03);
}

TEST(ScsiPurge, LiesFailuresAndAnUnplugAreNeverReportedAsDone) {
  VirtualOwnErase nothing = ScsiSanitizer();
  nothing.lie = Lie::ChangesNothing;
  PurgeRig lying(SasDrive(nothing));
  const PurgeResult l = lying.Run(EraseMethod::CryptoErase);
  EXPECT_EQ(l.ending, PurgeEnding::NotComplete);
  EXPECT_EQ(l.check.unchanged, l.check.sectors);
  EXPECT_NE(l.reason.find(u"the check failed"), std::u16string::npos);

  VirtualOwnErase fails = ScsiSanitizer();
  fails.lie = Lie::FailsHalfWay;
  PurgeRig failing(SasDrive(fails));
  const PurgeResult f = failing.Run(EraseMethod::BlockErase);
  EXPECT_EQ(f.ending, PurgeEnding::NotComplete);
  EXPECT_EQ(f.polls.back().status, "failed");
  EXPECT_NE(f.reason.find(u"ASC 31h, ASCQ 03h"), std::u16string::npos) << TextToUtf8(f.reason);
  EXPECT_FALSE(f.check.passed);
  // The drive now says so to the next run, which refuses with nothing sent.
  const PurgeResult again = failing.Run(EraseMethod::BlockErase);
  EXPECT_EQ(again.ending, PurgeEnding::Refused);
  EXPECT_EQ(failing.ChangingCommands(), 1);

  VirtualOwnErase gone = ScsiSanitizer();
  gone.lie = Lie::UnpluggedHalfWay;
  PurgeRig unplugged(SasDrive(gone));
  EXPECT_EQ(unplugged.Run(EraseMethod::DriveOverwrite).ending, PurgeEnding::Terminated);

  VirtualOwnErase endless = ScsiSanitizer();
  endless.lie = Lie::NeverCompletes;
  PurgeRig waiting(SasDrive(endless));
  waiting.pollMilliseconds = 600000;
  const PurgeResult w = waiting.Run(EraseMethod::BlockErase);
  EXPECT_EQ(w.ending, PurgeEnding::NotComplete);
  EXPECT_NE(w.reason.find(u"within 43200 seconds"), std::u16string::npos) << TextToUtf8(w.reason);
}

// A hard disk with the Security feature set (enhanced erase too) and an
// estimate of 10 minutes for the normal erase, in the state `word128` says.
VirtualDrive SecureDisk(VirtualOwnErase own = {}, std::uint16_t word128 = 0x0021) {
  VirtualDrive d = test::Drive(kSixteenMiB);
  d.busType = BusTypeSata;
  VirtualIdentify identify;
  identify.model = "HDD-A";
  identify.words = {{82, 0x0002}, {89, 0x0005}, {128, word128}};
  d.ata.identify = identify;
  d.ownErase = own;
  return d;
}

struct SecurityRequest {
  std::uint8_t command = 0;
  std::vector<std::uint8_t> sector;  // the password sector, where one went
  std::uint32_t timeoutSeconds = 0;
};

// The Security commands (F1h to F6h) that reached the drive, in order.
std::vector<SecurityRequest> SecurityRequests(const VirtualOs& os) {
  std::vector<SecurityRequest> sent;
  for (const RequestRecord& r : os.Requests()) {
    if (r.kind != Kind::Ioctl || r.controlCode != IOCTL_ATA_PASS_THROUGH || r.input.size() < layout::AtaPtSize)
      continue;
    const std::uint8_t command = r.input[layout::AtaPtCurrentTaskFile + layout::IdeRegsCommand];
    if (command < 0xF1 || command > 0xF6) continue;
    SecurityRequest request{command, {}, GetU32(r.input.data(), layout::AtaPtTimeOutValue)};
    if (r.input.size() >= layout::AtaPtSize + 512)
      request.sector.assign(r.input.begin() + layout::AtaPtSize, r.input.begin() + layout::AtaPtSize + 512);
    sent.push_back(request);
  }
  return sent;
}

std::vector<std::uint8_t> Commands(const std::vector<SecurityRequest>& requests) {
  std::vector<std::uint8_t> commands;
  for (const SecurityRequest& r : requests) commands.push_back(r.command);
  return commands;
}

std::uint16_t Word128(const PurgeRig& rig) { return rig.t.os.Machine().drives[0].ata.identify->words.at(128); }

std::vector<std::string> PollStatuses(const PurgeResult& r) {
  std::vector<std::string> statuses;
  for (const PurgePoll& poll : r.polls) statuses.push_back(poll.status);
  return statuses;
}

TEST(SecurityErase, SetsThePasswordPreparesErasesAndLeavesNoPassword) {
  PurgeRig rig(SecureDisk());
  const PurgeResult r = rig.Run(EraseMethod::SecurityErase);
  EXPECT_EQ(r.ending, PurgeEnding::Complete) << TextToUtf8(r.reason);
  const auto sent = SecurityRequests(rig.t.os);
  ASSERT_EQ(Commands(sent), (std::vector<std::uint8_t>{0xF1, 0xF3, 0xF4}));
  // SET PASSWORD and ERASE UNIT carry the user password "Orvella", level High.
  for (const SecurityRequest& carrying : {sent[0], sent[2]}) {
    ASSERT_EQ(carrying.sector.size(), 512u);
    EXPECT_EQ(carrying.sector[0] & 0x01, 0) << "the user password";
    EXPECT_EQ(carrying.sector[1] & 0x01, 0) << "level High";
    EXPECT_EQ(std::string(carrying.sector.begin() + 2, carrying.sector.begin() + 9), "Orvella");
  }
  EXPECT_EQ(sent[2].sector[0] & 0x02, 0) << "a normal erase";
  EXPECT_TRUE(sent[1].sector.empty());
  // Word 89 = 5: ten minutes, plus a margin of fifteen.
  EXPECT_EQ(r.estimateSeconds, 600);
  EXPECT_EQ(r.timeoutSeconds, 600 + 900);
  EXPECT_EQ(sent[2].timeoutSeconds, 1500u);
  EXPECT_EQ(r.check.pattern, 0);
  EXPECT_FALSE(r.passwordLeft);
  EXPECT_EQ(Word128(rig) & 0x0002, 0) << "no password after the erase";
  EXPECT_EQ(r.choice.category, SanitizationCategory::Clear);
}

// Each command's answer is kept, timed from the first: ERASE UNIT answers
// only once the drive is done, and the password check after it says whether
// the drive dropped the password as it should.
TEST(SecurityErase, EachStepsAnswerIsKeptWithItsTime) {
  VirtualOwnErase own;
  own.milliseconds = 4000;
  PurgeRig rig(SecureDisk(own));
  const PurgeResult r = rig.Run(EraseMethod::SecurityErase);
  ASSERT_EQ(r.ending, PurgeEnding::Complete) << TextToUtf8(r.reason);
  EXPECT_EQ(PollStatuses(r), (std::vector<std::string>{"SECURITY SET PASSWORD (F1h): done",
                                                       "SECURITY ERASE PREPARE (F3h): done",
                                                       "SECURITY ERASE UNIT (F4h): done",
                                                       "IDENTIFY DEVICE (ECh), password check: no password set"}));
  ASSERT_EQ(r.polls.size(), 4u);
  EXPECT_LT(r.polls[1].elapsedMilliseconds, 4000);
  EXPECT_GE(r.polls[2].elapsedMilliseconds, 4000) << "ERASE UNIT answered when the erase was done";
  for (const PurgePoll& poll : r.polls) EXPECT_FALSE(poll.percent.has_value()) << "the drive gives no progress";

  VirtualOwnErase fails;
  fails.lie = Lie::FailsHalfWay;
  PurgeRig failing(SecureDisk(fails));
  EXPECT_EQ(PollStatuses(failing.Run(EraseMethod::SecurityErase)),
            (std::vector<std::string>{"SECURITY SET PASSWORD (F1h): done", "SECURITY ERASE PREPARE (F3h): done",
                                      "SECURITY ERASE UNIT (F4h): aborted by the drive",
                                      "IDENTIFY DEVICE (ECh), password check: a password is set",
                                      "SECURITY DISABLE PASSWORD (F6h): done",
                                      "IDENTIFY DEVICE (ECh), password check: no password set"}));
}

TEST(SecurityErase, TheEnhancedEraseSetsItsBitAndIsAPurgeOnAHardDisk) {
  VirtualOwnErase ones;
  ones.blockEraseFill = VirtualOwnErase::Fill::Ones;
  PurgeRig rig(SecureDisk(ones));
  const PurgeResult r = rig.Run(EraseMethod::SecurityEraseEnhanced);
  EXPECT_EQ(r.ending, PurgeEnding::Complete) << TextToUtf8(r.reason);
  EXPECT_EQ(SecurityRequests(rig.t.os).back().sector[0] & 0x02, 0x02);
  EXPECT_EQ(r.check.pattern, 0xFF);
  EXPECT_EQ(r.choice.category, SanitizationCategory::Purge);
  EXPECT_EQ(r.timeoutSeconds, 12 * 3600) << "no estimate in word 90";
}

TEST(SecurityErase, RefusalsSendNoSecurityCommand) {
  struct Case {
    std::uint16_t word128;
    EraseMethod method;
    const char16_t* reason;
  };
  const Case cases[] = {
      {0x0029, EraseMethod::SecurityErase, u"suspend the computer and resume it"},  // frozen
      {0x0027, EraseMethod::SecurityErase, u"locked by a password"},
      {0x0023, EraseMethod::SecurityErase, u"a user password is set"},
      {0x0031, EraseMethod::SecurityErase, u"too many wrong attempts"},
      {0x0001, EraseMethod::SecurityEraseEnhanced, u"does not offer the enhanced security erase"},
      {0x0000, EraseMethod::SecurityErase, u"does not support the Security feature set"},
  };
  for (const Case& c : cases) {
    PurgeRig rig(SecureDisk({}, c.word128));
    const PurgeResult r = rig.Run(c.method);
    EXPECT_EQ(r.ending, PurgeEnding::Refused) << TextToUtf8(c.reason);
    EXPECT_NE(r.reason.find(c.reason), std::u16string::npos) << TextToUtf8(r.reason);
    EXPECT_TRUE(SecurityRequests(rig.t.os).empty()) << TextToUtf8(c.reason);
  }
}

TEST(SecurityErase, AFailureHalfWayTakesThePasswordOffAgain) {
  VirtualOwnErase fails;
  fails.lie = Lie::FailsHalfWay;
  PurgeRig rig(SecureDisk(fails));
  const PurgeResult r = rig.Run(EraseMethod::SecurityErase);
  EXPECT_EQ(r.ending, PurgeEnding::NotComplete);
  EXPECT_NE(r.reason.find(u"the drive refused SECURITY ERASE UNIT"), std::u16string::npos) << TextToUtf8(r.reason);
  EXPECT_EQ(Commands(SecurityRequests(rig.t.os)), (std::vector<std::uint8_t>{0xF1, 0xF3, 0xF4, 0xF6}));
  EXPECT_FALSE(r.passwordLeft);
  EXPECT_EQ(Word128(rig) & 0x0002, 0);
}

TEST(SecurityErase, LiesAndAnUnplugAreNeverReportedAsDone) {
  VirtualOwnErase nothing;
  nothing.lie = Lie::ChangesNothing;
  PurgeRig lying(SecureDisk(nothing));
  const PurgeResult l = lying.Run(EraseMethod::SecurityErase);
  EXPECT_EQ(l.ending, PurgeEnding::NotComplete);
  EXPECT_FALSE(l.check.passed);

  VirtualOwnErase gone;
  gone.lie = Lie::UnpluggedHalfWay;
  PurgeRig unplugged(SecureDisk(gone));
  const PurgeResult u = unplugged.Run(EraseMethod::SecurityErase);
  EXPECT_EQ(u.ending, PurgeEnding::Terminated);
  EXPECT_TRUE(u.passwordLeft) << "the drive went away with the password on it";

  VirtualOwnErase endless;
  endless.lie = Lie::NeverCompletes;
  PurgeRig waiting(SecureDisk(endless));
  const PurgeResult w = waiting.Run(EraseMethod::SecurityErase);
  EXPECT_EQ(w.ending, PurgeEnding::NotComplete);
  EXPECT_EQ(Commands(SecurityRequests(waiting.t.os)).back(), 0xF6) << "the password is taken off";
}

// Locked, the drive aborts reads and writes of its user area; once
// unlocked it takes both again.
TEST(SecurityErase, ALockedDriveRefusesItsUserAreaUntilUnlocked) {
  PurgeRig rig(SecureDisk({}, 0x0027));
  Os& os = rig.t.os;
  const Handle handle = rig.t.drive.DeviceHandle;
  std::vector<std::uint8_t> sector(512);
  std::int64_t at = 0;
  std::uint32_t moved = 0;
  ASSERT_TRUE(os.SetFilePointerEx(handle, 4096, &at, FILE_BEGIN));
  EXPECT_FALSE(os.ReadFile(handle, sector.data(), 512, &moved));
  EXPECT_EQ(os.GetLastError(), ERROR_IO_DEVICE);
  EXPECT_FALSE(os.WriteFile(handle, sector.data(), 512, &moved));
  EXPECT_EQ(os.GetLastError(), ERROR_IO_DEVICE);
  EXPECT_EQ(rig.Medium().BytesWritten(), 0);

  const SecurityLog quiet = [](const std::u16string&) {};
  ASSERT_EQ(RemoveProgramPassword(os, handle, 0, quiet), PasswordRemoval::Removed);
  ASSERT_TRUE(os.SetFilePointerEx(handle, 4096, &at, FILE_BEGIN));
  EXPECT_TRUE(os.ReadFile(handle, sector.data(), 512, &moved));
  EXPECT_TRUE(os.WriteFile(handle, sector.data(), 512, &moved));
  EXPECT_EQ(rig.Medium().BytesWritten(), 512);
}

TEST(SecurityErase, APasswordLeftByAnEarlierRunIsTakenOff) {
  const SecurityLog quiet = [](const std::u16string&) {};
  // Locked after a power loss during the erase: UNLOCK, then DISABLE PASSWORD.
  PurgeRig locked(SecureDisk({}, 0x0027));
  EXPECT_EQ(RemoveProgramPassword(locked.t.os, locked.t.drive.DeviceHandle, 0, quiet), PasswordRemoval::Removed);
  EXPECT_EQ(Commands(SecurityRequests(locked.t.os)), (std::vector<std::uint8_t>{0xF2, 0xF6}));
  EXPECT_EQ(Word128(locked), 0x0021);
  // Set but not locked: DISABLE PASSWORD alone.
  PurgeRig set(SecureDisk({}, 0x0023));
  EXPECT_EQ(RemoveProgramPassword(set.t.os, set.t.drive.DeviceHandle, 0, quiet), PasswordRemoval::Removed);
  EXPECT_EQ(Commands(SecurityRequests(set.t.os)), (std::vector<std::uint8_t>{0xF6}));
  // Someone else's password stays; so does a frozen drive's, with nothing sent.
  VirtualOwnErase foreign;
  foreign.foreignPassword = true;
  PurgeRig theirs(SecureDisk(foreign, 0x0027));
  EXPECT_EQ(RemoveProgramPassword(theirs.t.os, theirs.t.drive.DeviceHandle, 0, quiet), PasswordRemoval::NotOurs);
  EXPECT_EQ(Word128(theirs) & 0x0006, 0x0006);
  PurgeRig frozen(SecureDisk({}, 0x002B));
  EXPECT_EQ(RemoveProgramPassword(frozen.t.os, frozen.t.drive.DeviceHandle, 0, quiet), PasswordRemoval::Frozen);
  EXPECT_TRUE(SecurityRequests(frozen.t.os).empty());
  PurgeRig none(SecureDisk());
  EXPECT_EQ(RemoveProgramPassword(none.t.os, none.t.drive.DeviceHandle, 0, quiet), PasswordRemoval::NoneSet);
  EXPECT_TRUE(SecurityRequests(none.t.os).empty());
}

}  // namespace
}  // namespace orvella
