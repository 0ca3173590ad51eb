// The read-back after the writes: a drive that loses writes is caught by the
// full read and by the sample, never by a run with verification off; read
// errors, a stop and an unplugged drive end it as they end the writes.
#include "format/verification.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "format/format_write_loop.h"
#include "format/sample_plan.h"
#include "core/text.h"
#include "format_rig.h"
#include "reports/text_forms.h"

namespace orvella {
namespace {

using test::Drive;
using test::FormatRig;
using Lines = std::vector<std::u16string>;

constexpr std::int64_t kDrive = 64 << 20;        // 131,072 sectors
constexpr std::int64_t kLostFrom = 40 << 20;     // 81,920 sectors in
constexpr std::int64_t kLostBytes = 256 << 10;   // 512 sectors

WriteLoopResult Erase(FormatRig& rig, VerifyMethod verify, bool quick = false) {
  return FormatWriteLoop(rig.t.drive, rig.page, EraseChoices{quick, verify, 12345, {}, {}, {}, {}});
}

VirtualDrive LosingDrive(std::int64_t lostBytes = kLostBytes) {
  VirtualDrive d = Drive(kDrive);
  d.lostWrites = {{kLostFrom, kLostFrom + lostBytes}};
  return d;
}

bool Logged(const FormatRig& rig, const std::u16string& line) {
  const Lines log = rig.Log();
  return std::find(log.begin(), log.end(), line) != log.end();
}

TEST(Verification, AFullReadBackCatchesLostWritesAndNamesTheirOffsetAndLba) {
  FormatRig rig(LosingDrive());
  const WriteLoopResult r = Erase(rig, VerifyMethod::Full);
  EXPECT_EQ(r.ending, WriteLoopEnding::NotComplete);
  EXPECT_TRUE(r.failed.empty());  // the drive said every write landed
  const VerificationOutcome& v = r.verification;
  EXPECT_EQ(v.result, VerifyResult::Mismatch);
  EXPECT_EQ(v.mismatches, (std::vector<Extent>{{kLostFrom, kLostFrom + kLostBytes}}));
  EXPECT_EQ(v.bytesRead, kDrive);
  EXPECT_TRUE(Logged(rig, u"Verification found data at offset 41,943,040    LBA 81,920: 512 sectors "
                          u"(262,144 bytes) not zero"));
  EXPECT_EQ(rig.Log().back(), u"Low-level format did not complete: the read-back found 512 sectors (262,144 bytes) "
                              u"that are not zero; the drive lost writes.");
  EXPECT_FALSE(Logged(rig, u"Low-level format is complete."));
  EXPECT_EQ(r.errorLines.back(), u"Verification found data at offset 41,943,040    LBA 81,920: 512 sectors "
                                 u"(262,144 bytes) not zero");
}

TEST(Verification, ARunThatWroteNothingReadsNothingBackAndNeverPasses) {
  for (const VerifyMethod verify : {VerifyMethod::Full, VerifyMethod::Sample}) {
    VirtualDrive d = Drive(kDrive);
    d.writeErrors = {{{0, kDrive}, ERROR_IO_DEVICE}};
    FormatRig rig(d);
    const WriteLoopResult r = Erase(rig, verify);
    EXPECT_EQ(r.ending, WriteLoopEnding::NotComplete);
    EXPECT_EQ(r.verification.result, VerifyResult::NotRun);
    EXPECT_EQ(r.verification.bytesRead, 0);
    EXPECT_TRUE(Logged(rig, u"Nothing was read back: no written byte lies where the read-back looks."));
    const Lines log = rig.Log();
    EXPECT_TRUE(std::none_of(log.begin(), log.end(),
                             [](const std::u16string& line) { return line.rfind(u"Verification passed", 0) == 0; }));
  }
}

TEST(Verification, TheSampleCatchesALargeEnoughLossAndRecordsItsPlan) {
  FormatRig rig(LosingDrive(4 << 20));  // more than a subsection: a sample must land in it
  const WriteLoopResult r = Erase(rig, VerifyMethod::Sample);
  EXPECT_EQ(r.ending, WriteLoopEnding::NotComplete);
  const VerificationOutcome& v = r.verification;
  EXPECT_EQ(v.result, VerifyResult::Mismatch);
  EXPECT_EQ(v.seed, 12345u);
  EXPECT_EQ(v.subsections, 1'000);
  EXPECT_EQ(v.samples, 2'002);
  EXPECT_GE(v.bytesRead * 10, kDrive);
  EXPECT_LT(v.bytesRead, kDrive / 5);
  ASSERT_FALSE(v.mismatches.empty());
  for (const Extent& e : v.mismatches) {
    EXPECT_GE(e.from, kLostFrom);
    EXPECT_LE(e.to, kLostFrom + (4 << 20));
  }
  EXPECT_TRUE(Logged(rig, u"Reading back the NIST SP 800-88 sample: 2002 samples in 1000 subsections, 7 sectors "
                          u"each, seed 12345; " + IntToGroupedStr(v.bytesPlanned) + u" bytes of what was written"));
}

TEST(Verification, WithVerificationOffLostWritesGoUnnoticed) {
  FormatRig rig(LosingDrive());
  const WriteLoopResult r = Erase(rig, VerifyMethod::Off);
  EXPECT_EQ(r.ending, WriteLoopEnding::Complete);
  EXPECT_EQ(r.verification.result, VerifyResult::NotRun);
  EXPECT_EQ(rig.Medium().bytesRead, 0);
}

TEST(Verification, AGoodDrivePassesAndTheReadBackHasItsOwnProgress) {
  FormatRig rig(Drive(kDrive));
  std::vector<std::u16string> percents;
  rig.page.onMessages = [&] { percents.push_back(rig.page.Caption(FormatLabel::CurrentPercent)); };
  const WriteLoopResult r = Erase(rig, VerifyMethod::Full);
  EXPECT_EQ(r.ending, WriteLoopEnding::Complete);
  EXPECT_EQ(r.verification.result, VerifyResult::Passed);
  EXPECT_EQ(rig.Medium().bytesRead, kDrive);
  EXPECT_EQ(percents.back(), u"100% read back");
  const Lines log = rig.Log();
  const auto verifying = std::find(log.begin(), log.end(), u"Verifying... ");
  ASSERT_NE(verifying, log.end());
  EXPECT_TRUE((verifying - 1)->starts_with(u"Average speed: "));  // after the writes and the flush
  EXPECT_EQ(*(verifying + 1), u"Reading back every written byte: 67,108,864 bytes");
  EXPECT_EQ(log.back(), u"Low-level format is complete.");
  EXPECT_EQ(*(log.end() - 2), u"Verification passed: 67,108,864 bytes read back, all of them zero.");
  // The flush comes before the first read.
  const auto& requests = rig.t.os.Requests();
  const auto flush = std::find_if(requests.begin(), requests.end(),
                                  [](const RequestRecord& q) { return q.kind == RequestRecord::Kind::Flush; });
  const auto read = std::find_if(requests.begin(), requests.end(),
                                 [](const RequestRecord& q) { return q.kind == RequestRecord::Kind::Read; });
  EXPECT_LT(flush, read);
}

TEST(Verification, AQuickWipeReadsBackBothEndsAndNothingElse) {
  FormatRig rig(Drive(2'000'000'000));
  const WriteLoopResult r = Erase(rig, DefaultVerifyMethod(true), true);
  EXPECT_EQ(r.verification.method, VerifyMethod::Full);
  EXPECT_EQ(r.verification.bytesRead, 2 * kQuickWipeExtent);
  EXPECT_EQ(r.ending, WriteLoopEnding::Complete);
}

// A failed read is read again in halves down to the sectors that refuse:
// one bad sector leaves one sector unread, not its whole 32 MiB block.
TEST(Verification, ReadErrorsAreLoggedLikeWriteErrorsAndNarrowedToTheSectorsThatFail) {
  VirtualDrive d = Drive(kDrive);
  d.readErrors = {{{1 << 20, (1 << 20) + 1}, ERROR_IO_DEVICE}};
  FormatRig rig(d);
  const WriteLoopResult r = Erase(rig, VerifyMethod::Full);
  EXPECT_EQ(r.ending, WriteLoopEnding::NotComplete);
  EXPECT_EQ(r.verification.result, VerifyResult::Unreadable);
  EXPECT_TRUE(Logged(rig, u"Verify Error occurred at offset 0:   1117 - Device I/O error"));  // the 32 MiB block
  EXPECT_EQ(r.verification.unread, (std::vector<Extent>{{1 << 20, (1 << 20) + 512}}));
  EXPECT_EQ(r.verification.bytesRead, kDrive - 512);
  EXPECT_EQ(rig.Log().back(), u"Low-level format did not complete: 1 sector (512 bytes) could not be read back.");
}

// The pieces read again around a bad sector are checked like any read:
// lost writes beside it are still found.
TEST(Verification, DataBesideAnUnreadableSectorIsStillFound) {
  VirtualDrive d = LosingDrive(4096);
  d.readErrors = {{{kLostFrom - 8192, kLostFrom - 7680}, ERROR_SEM_TIMEOUT}};
  FormatRig rig(d);
  const WriteLoopResult r = Erase(rig, VerifyMethod::Full);
  EXPECT_EQ(r.verification.result, VerifyResult::Mismatch);
  EXPECT_EQ(r.verification.mismatches, (std::vector<Extent>{{kLostFrom, kLostFrom + 4096}}));
  EXPECT_EQ(r.verification.unread, (std::vector<Extent>{{kLostFrom - 8192, kLostFrom - 7680}}));
  EXPECT_EQ(r.verification.bytesRead, kDrive - 512);
}

// A drive that goes while a failed block is read again ends the read-back
// there, as it ends the writes.
TEST(Verification, ADriveGoneWhileAFailedReadIsNarrowedTerminatesTheRun) {
  VirtualDrive d = Drive(kDrive);
  d.readErrors = {{{1 << 20, (1 << 20) + 512}, ERROR_IO_DEVICE}, {{8 << 20, (8 << 20) + 512}, ERROR_DEV_NOT_EXIST}};
  FormatRig rig(d);
  const WriteLoopResult r = Erase(rig, VerifyMethod::Full);
  EXPECT_EQ(r.ending, WriteLoopEnding::Terminated);
  EXPECT_EQ(r.verification.result, VerifyResult::DriveGone);
  EXPECT_TRUE(Logged(rig, u"Device was unplugged, aborting..."));
}

TEST(Verification, AStopDuringTheReadBackCancelsTheRun) {
  FormatRig rig(Drive(kDrive));
  rig.page.onMessages = [&] {
    if (rig.page.Caption(FormatLabel::CurrentPercent) == u"50% read back") rig.t.drive.StopRequested = true;
  };
  const WriteLoopResult r = Erase(rig, VerifyMethod::Full);
  EXPECT_EQ(r.ending, WriteLoopEnding::Cancelled);
  EXPECT_EQ(r.verification.result, VerifyResult::Cancelled);
  EXPECT_TRUE(Logged(rig, u"Verification cancelled at offset 33,554,432    LBA 65,536"));
  EXPECT_FALSE(rig.t.drive.StopRequested);
}

TEST(Verification, ADriveGoneDuringTheReadBackTerminatesTheRun) {
  VirtualDrive d = Drive(kDrive);
  d.readErrors = {{{kDrive - 512, kDrive}, ERROR_DEV_NOT_EXIST}};
  FormatRig rig(d);
  const WriteLoopResult r = Erase(rig, VerifyMethod::Full);
  EXPECT_EQ(r.ending, WriteLoopEnding::Terminated);
  EXPECT_EQ(r.verification.result, VerifyResult::DriveGone);
  EXPECT_TRUE(Logged(rig, u"Device was unplugged, aborting..."));
  EXPECT_TRUE(Logged(rig, u"Verification terminated at offset 33,554,432    LBA 65,536"));
}

TEST(Verification, SectorsThatFailedToWriteAreNotReadBack) {
  VirtualDrive d = Drive(kDrive);
  d.writeErrors = {{{1 << 20, (1 << 20) + 1}, ERROR_IO_DEVICE}};
  FormatRig rig(d);
  const WriteLoopResult r = Erase(rig, VerifyMethod::Full);
  EXPECT_EQ(r.ending, WriteLoopEnding::NotComplete);
  EXPECT_EQ(r.verification.result, VerifyResult::Passed);
  EXPECT_EQ(r.verification.bytesRead, kDrive - 512);
}

// The reads of the read-back (those after the flush), in the order sent.
std::vector<Extent> ReadBackReads(const FormatRig& rig) {
  std::vector<Extent> reads;
  bool flushed = false;
  for (const RequestRecord& q : rig.t.os.Requests()) {
    flushed = flushed || q.kind == RequestRecord::Kind::Flush;
    if (flushed && q.kind == RequestRecord::Kind::Read) reads.push_back({q.offset, q.offset + q.length});
  }
  return reads;
}

bool Ascending(const std::vector<Extent>& reads) {
  return std::adjacent_find(reads.begin(), reads.end(), [](const Extent& a, const Extent& b) {
           return b.from < a.to;
         }) == reads.end();
}

TEST(Verification, TheSampleIsReadInDriveOrderWithNearSamplesInOneReadButNoSectorThatFailedToWrite) {
  VirtualDrive d = Drive(kDrive);  // subsections of 64 KiB: every gap is worth less than a seek
  d.writeErrors = {{{1 << 20, (1 << 20) + 512}, ERROR_IO_DEVICE}};
  FormatRig rig(d);
  const WriteLoopResult r = Erase(rig, VerifyMethod::Sample);
  const VerificationOutcome& v = r.verification;
  EXPECT_EQ(v.result, VerifyResult::Passed);
  EXPECT_EQ(v.bytesRead, v.bytesPlanned);  // what lies between the samples is read, not counted
  EXPECT_LT(v.bytesRead, kDrive / 5);
  // Not 2,002 reads: the first block stops at the sector that refused the
  // write, the rest of the drive goes in blocks of 32 MiB at most.
  const std::vector<Extent> reads = ReadBackReads(rig);
  EXPECT_TRUE(Ascending(reads));
  EXPECT_LE(reads.size(), 4u);
  EXPECT_TRUE(Within(reads, {1 << 20, (1 << 20) + 512}).empty());
}

// Each pass says which of the run's passes it is; the writes count the
// read-back to come, so that the time left covers both; a sample says so.
TEST(Verification, EachPassNamesItsStepAndTheWritesCountTheReadBackToCome) {
  constexpr std::int64_t kLarger = 512 << 20;
  FormatRig rig(Drive(kLarger));
  const WriteLoopResult r = Erase(rig, VerifyMethod::Sample);
  ASSERT_EQ(r.verification.result, VerifyResult::Passed);
  const std::vector<PassProgress>& passes = rig.page.passes;
  ASSERT_GE(passes.size(), 2u);
  const PassProgress& first = passes.front();
  EXPECT_EQ(first.pass, RunPass::Writing);
  EXPECT_EQ(first.number, 1);
  EXPECT_EQ(first.count, 2);
  EXPECT_FALSE(first.sample);
  EXPECT_EQ(first.total, kLarger);
  EXPECT_EQ(first.laterBytes, r.verification.bytesPlanned);
  EXPECT_GT(first.laterBytes, 0);
  EXPECT_LT(first.laterBytes, kLarger / 5);
  const PassProgress& last = passes.back();
  EXPECT_EQ(last.pass, RunPass::ReadingBack);
  EXPECT_TRUE(last.sample);
  EXPECT_EQ(last.number, 2);
  EXPECT_EQ(last.count, 2);
  EXPECT_EQ(last.done, last.total);
  EXPECT_EQ(rig.page.Caption(FormatLabel::CurrentPercent), u"100% of the sample read back");

  FormatRig unchecked(Drive(kDrive));
  Erase(unchecked, VerifyMethod::Off);
  ASSERT_FALSE(unchecked.page.passes.empty());
  EXPECT_EQ(unchecked.page.passes.back().count, 1);
  EXPECT_EQ(unchecked.page.passes.back().laterBytes, 0);
}

TEST(Verification, FarSamplesAreReadApartAndEverySampleIsRead) {
  constexpr std::int64_t kLarger = 512 << 20;  // subsections of 512 KiB
  FormatRig rig(Drive(kLarger));
  const WriteLoopResult r = Erase(rig, VerifyMethod::Sample);
  EXPECT_EQ(r.verification.result, VerifyResult::Passed);
  const std::vector<Extent> reads = ReadBackReads(rig);
  EXPECT_TRUE(Ascending(reads));
  EXPECT_GT(reads.size(), 10u);
  EXPECT_LT(reads.size(), 2'002u);
  std::vector<Extent> covered;
  for (const Extent& e : reads) AddMerged(covered, e);
  const SamplePlan plan = MakeSamplePlan(kLarger, 512, 12345);
  EXPECT_EQ(Intersection(plan.ranges, covered), plan.ranges);
  // Reads that do not touch are apart by more than a seek is worth.
  for (std::size_t i = 1; i < covered.size(); ++i) EXPECT_GE(covered[i].from - covered[i - 1].to, 256 << 10);
}

TEST(Verification, MethodNames) {
  for (const VerifyMethod m : {VerifyMethod::Off, VerifyMethod::Full, VerifyMethod::Sample})
    EXPECT_EQ(VerifyMethodNamed(VerifyMethodName(m)), m);
  EXPECT_FALSE(VerifyMethodNamed("quick").has_value());
  EXPECT_EQ(DefaultVerifyMethod(false), VerifyMethod::Sample);
}

}  // namespace
}  // namespace orvella
