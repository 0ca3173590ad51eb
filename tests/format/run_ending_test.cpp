#include "format/run_ending.h"

#include <gtest/gtest.h>

#include "core/text.h"

namespace orvella {
namespace {

FormatRun RanTo(WriteLoopEnding ending) {
  FormatRun run;
  run.outcome = FormatOutcome::Ran;
  run.loop.ending = ending;
  run.loop.wholeDrive = true;
  run.loop.flushed = true;
  run.loop.covered = {{0, 1 << 20}};
  return run;
}

// Only a whole drive that was written and read back is called erased; every
// other ending says what is left.
TEST(RunEnding, EachEndingIsToldInPlainWordsAndOnlyAVerifiedEraseCountsAsErased) {
  FormatRun verified = RanTo(WriteLoopEnding::Complete);
  verified.loop.verification.method = VerifyMethod::Sample;
  verified.loop.verification.result = VerifyResult::Passed;
  EXPECT_TRUE(DescribeEnding(verified, 512).erased);
  EXPECT_EQ(DescribeEnding(verified, 512).headline, u"The drive was erased and verified");

  const RunEnding unverified = DescribeEnding(RanTo(WriteLoopEnding::Complete), 512);
  EXPECT_FALSE(unverified.erased);
  EXPECT_EQ(unverified.headline, u"The drive was erased but not verified");

  FormatRun quick = verified;
  quick.loop.quickWipe = true;
  quick.loop.wholeDrive = false;
  EXPECT_FALSE(DescribeEnding(quick, 512).erased);
  EXPECT_EQ(DescribeEnding(quick, 512).headline, u"The partition tables were wiped; the data was not erased");

  const RunEnding cancelled = DescribeEnding(RanTo(WriteLoopEnding::Cancelled), 512);
  EXPECT_EQ(cancelled.headline, u"The erase was cancelled");
  EXPECT_TRUE(cancelled.details.starts_with(u"It stopped at byte 1,048,576 (sector 2048).")) << cancelled.details.size();

  EXPECT_EQ(DescribeEnding(RanTo(WriteLoopEnding::Terminated), 512).headline, u"The drive went away");
  EXPECT_EQ(DescribeEnding(RanTo(WriteLoopEnding::WriteProtected), 512).headline, u"Nothing was erased");
  FormatRun refused;
  refused.outcome = FormatOutcome::LockRefused;
  EXPECT_EQ(DescribeEnding(refused, 512).headline, u"Nothing was erased");
}

// The title says what happened; failures carry the error mark, a stop or an
// unproven erase a warning, and only an erase that holds is titled erased.
TEST(RunEnding, TheTitleSaysWhatHappenedAndFailuresAreMarkedAsSuch) {
  FormatRun verified = RanTo(WriteLoopEnding::Complete);
  verified.loop.verification.result = VerifyResult::Passed;
  EXPECT_EQ(DescribeEnding(verified, 512).title, u"Drive erased");
  EXPECT_FALSE(DescribeEnding(verified, 512).failed);
  EXPECT_EQ(DescribeEnding(RanTo(WriteLoopEnding::Complete), 512).title, u"Erase not verified");
  EXPECT_EQ(DescribeEnding(RanTo(WriteLoopEnding::Cancelled), 512).title, u"Erase stopped");
  EXPECT_FALSE(DescribeEnding(RanTo(WriteLoopEnding::Cancelled), 512).failed);
  for (const WriteLoopEnding ending : {WriteLoopEnding::NotComplete, WriteLoopEnding::WriteProtected,
                                       WriteLoopEnding::Terminated, WriteLoopEnding::NoBuffer}) {
    const RunEnding e = DescribeEnding(RanTo(ending), 512);
    EXPECT_TRUE(e.failed) << TextToUtf8(e.title);
    EXPECT_FALSE(e.title.starts_with(u"Drive erased")) << TextToUtf8(e.title);
  }
  EXPECT_EQ(DescribeEnding(RanTo(WriteLoopEnding::NotComplete), 512).title, u"Erase NOT completed");
}

// A volume that refused the lock is named with whoever holds it.
TEST(RunEnding, ARefusedRunNamesTheBusyVolumeAndItsHolders) {
  FormatRun refused;
  refused.outcome = FormatOutcome::LockRefused;
  BusyVolume volume;
  volume.name = u"/dev/sdb1";
  volume.mountPoints = {u"/media/data"};
  volume.holdersKnown = true;
  volume.holders = {{4242, u"backup-tool"}};
  refused.busyVolumes = {volume};
  const RunEnding ending = DescribeEnding(refused, 512);
  EXPECT_TRUE(ending.failed);
  EXPECT_EQ(ending.title, u"Nothing erased: the drive is in use");
  EXPECT_NE(ending.details.find(u"\r\nVolume /dev/sdb1, mounted on /media/data is in use.\r\nHeld by process 4242 (backup-tool)"),
            std::u16string::npos)
      << TextToUtf8(ending.details);
}

// Stop pressed during the read-back: everything was written, so the ending
// must not claim the rest of the drive still holds its data, nor that the
// erase is proven.
TEST(RunEnding, AStopDuringTheReadBackSaysTheWritesWereDoneButNotProven) {
  FormatRun run = RanTo(WriteLoopEnding::Cancelled);
  run.loop.verification.method = VerifyMethod::Full;
  run.loop.verification.result = VerifyResult::Cancelled;
  const RunEnding ending = DescribeEnding(run, 512);
  EXPECT_FALSE(ending.erased);
  EXPECT_EQ(ending.title, u"Read-back stopped");
  EXPECT_EQ(ending.details, u"Every sector was written with zeros, but the read-back was stopped before its end, so "
                            u"the erase is not proven.");
  run.loop.failed = {{0, 1024}};
  EXPECT_TRUE(DescribeEnding(run, 512).details.starts_with(u"2 sectors could not be written; the rest was written"));
}

TEST(RunEnding, ANotCompleteRunCountsTheSectorsLeft) {
  FormatRun run = RanTo(WriteLoopEnding::NotComplete);
  run.loop.failed = {{512, 1024}};
  run.loop.verification.mismatches = {{4096, 4096 + 3 * 512}};
  const RunEnding ending = DescribeEnding(run, 512);
  EXPECT_FALSE(ending.erased);
  EXPECT_EQ(ending.headline, u"The erase is not complete");
  EXPECT_EQ(ending.details, u"1 sector could not be written. 3 sectors did not hold zeros when read back: the drive "
                            u"lost writes. The format log names each place.");
}

}  // namespace
}  // namespace orvella
