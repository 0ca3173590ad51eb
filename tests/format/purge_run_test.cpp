#include "format/purge_run.h"

#include <gtest/gtest.h>

#include "format/format_procedure.h"
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

struct PurgeRig : test::FormatRig {
  explicit PurgeRig(VirtualDrive drive) : FormatRig(drive) {
    t.program.DeviceTables[1].IdentifyData.BusType = drive.busType;
  }
  PurgeResult Run(EraseMethod method) {
    PurgeSurroundings s{t.os, t.drive.DeviceHandle, t.drive.Entry(),
                        [this](const std::u16string& line) { lines.push_back(line); },
                        [this](std::optional<double> percent) { progress.push_back(percent.value_or(-1)); }};
    return RunPurge(s, method, 42);
  }
  // The changing commands that reached the drive: ATA SANITIZE with a
  // feature other than the status, NVMe Sanitize and Format NVM.
  int ChangingCommands() const {
    int count = 0;
    for (const RequestRecord& r : t.os.Requests()) {
      if (r.kind == Kind::NvmeAdmin && (r.input[0] == 0x84 || r.input[0] == 0x80)) ++count;
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
  std::vector<std::u16string> lines;
  std::vector<double> progress;
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

}  // namespace
}  // namespace orvella
