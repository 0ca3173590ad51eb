#include "format/run_ending.h"

#include <gtest/gtest.h>

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
