#include "format/run_figures.h"

#include <gtest/gtest.h>

namespace orvella {
namespace {

using namespace std::chrono_literals;
constexpr std::int64_t kGigabyte = 1'000'000'000;

PassProgress Writing(std::int64_t done, std::int64_t total, std::int64_t later = 0) {
  return {RunPass::Writing, false, 1, later > 0 ? 2 : 1, done, total, later};
}

TEST(RunFigures, TheRunShowsItsStepBytesOfTheTotalTheTimeTakenAndOnceItCanTellTheTimeLeft) {
  RunFigures figures;
  const auto start = RunFigures::Clock::time_point{} + 100s;
  figures.Start(start);
  EXPECT_TRUE(figures.Running());
  // The first block gives no basis for an estimate yet.
  EXPECT_EQ(figures.Progress(Writing(0, 2 * kGigabyte), u'.', start), u"Writing 1 of 1   0.0%   0 bytes of 2,000 MB   elapsed 0 s");
  EXPECT_EQ(figures.Progress(Writing(kGigabyte, 2 * kGigabyte), u'.', start + 10s),
            u"Writing 1 of 1   50.0%   1,000 MB of 2,000 MB   elapsed 10 s   10 s left");
  EXPECT_EQ(figures.End(start + 75s), u"1,000 MB of 2,000 MB   took 1 min 15 s");
  EXPECT_FALSE(figures.Running());
}

// The time left counts the read-back still to come, at the rate seen so far.
TEST(RunFigures, TheTimeLeftCoversTheReadBackAfterTheWrites) {
  RunFigures figures;
  const auto start = RunFigures::Clock::time_point{} + 100s;
  figures.Start(start);
  figures.Progress(Writing(0, 2 * kGigabyte, 2 * kGigabyte), u'.', start);
  EXPECT_EQ(figures.Progress(Writing(kGigabyte, 2 * kGigabyte, 2 * kGigabyte), u'.', start + 10s),
            u"Writing 1 of 2   50.0%   1,000 MB of 2,000 MB   elapsed 10 s   30 s left");
  // The sample is named while it is read.
  const PassProgress sample{RunPass::ReadingBack, true, 2, 2, 0, kGigabyte / 10, 0};
  EXPECT_TRUE(figures.Progress(sample, u'.', start + 20s).starts_with(u"Reading back 2 of 2 (sample)   0.0%   "));
}

// A tenth of a percent, never rounded up to a whole pass done.
TEST(RunFigures, ThePercentIsCutToATenth) {
  EXPECT_EQ(TenthPercentText(9'999, 10'000, u'.'), u"99.9%");
  EXPECT_EQ(TenthPercentText(10'000, 10'000, u'.'), u"100.0%");
  EXPECT_EQ(TenthPercentText(1, 1'000, u','), u"0,1%");
  EXPECT_EQ(TenthPercentText(976773168LL * 512 - 1, 976773168LL * 512, u'.'), u"99.9%");
  EXPECT_EQ(TenthPercentText(5, 0, u'.'), u"0.0%");  // nothing to do: nothing done
}

TEST(RunFigures, AStoppedRunSaysWhereItStopped) {
  RunFigures figures;
  const auto start = RunFigures::Clock::time_point{} + 5s;
  figures.Start(start);
  figures.Progress(Writing(kGigabyte / 4, kGigabyte, kGigabyte), u'.', start + 1s);
  figures.MarkStopped();
  EXPECT_EQ(figures.End(start + 2s), u"Stopped at 25.0% (Writing 1 of 2)   250 MB of 1,000 MB   took 2 s");
  // Stopped before the first block: only that, and the time.
  figures.Start(start + 10s);
  figures.MarkStopped();
  EXPECT_EQ(figures.End(start + 11s), u"Stopped   took 1 s");
}

TEST(RunFigures, ARunEndedBeforeAnyBytesTellsOnlyItsTime) {
  RunFigures figures;
  const auto start = RunFigures::Clock::time_point{} + 5s;
  figures.Start(start);
  EXPECT_EQ(figures.End(start + 2s), u"took 2 s");
}

TEST(RunFigures, ASecondRunStartsAfreshWithoutTheFirstRunsBytesOrEstimate) {
  RunFigures figures;
  const auto start = RunFigures::Clock::time_point{} + 5s;
  figures.Start(start);
  figures.Progress(Writing(kGigabyte, 2 * kGigabyte), u'.', start + 10s);
  figures.End(start + 20s);
  figures.Start(start + 100s);
  EXPECT_EQ(figures.End(start + 101s), u"took 1 s");
  EXPECT_EQ(figures.Progress(Writing(0, 2 * kGigabyte), u'.', start + 102s),
            u"Writing 1 of 1   0.0%   0 bytes of 2,000 MB   elapsed 2 s");
}

TEST(RunFigures, TheBytesUseTheLocalesDecimalSeparator) {
  RunFigures figures;
  figures.Start(RunFigures::Clock::time_point{});
  EXPECT_EQ(figures.Progress(Writing(0, 976773168LL * 512), u',', RunFigures::Clock::time_point{}),
            u"Writing 1 of 1   0,0%   0 bytes of 500,1 GB   elapsed 0 s");
}

// Whole numbers grouped, with the group mark that is not the decimal one.
TEST(RunFigures, NumbersAreGroupedByThousands) {
  EXPECT_EQ(GroupLeadingNumber(u"7040.3 MB/s", GroupSeparatorBeside(u'.')), u"7,040.3 MB/s");
  EXPECT_EQ(GroupLeadingNumber(u"7040,3 MB/s", GroupSeparatorBeside(u',')), u"7.040,3 MB/s");
  EXPECT_EQ(GroupLeadingNumber(u"1234567 bytes", u','), u"1,234,567 bytes");
  EXPECT_EQ(GroupLeadingNumber(u"Current sector: 4224", u','), u"Current sector: 4,224");
  EXPECT_EQ(GroupLeadingNumber(u"Current sector: 14,208", u','), u"Current sector: 14,208");
  EXPECT_EQ(GroupLeadingNumber(u"999.9 MB/s", u','), u"999.9 MB/s");
  EXPECT_EQ(GroupLeadingNumber(u"", u','), u"");
}

TEST(RunFigures, TheTitleCarriesTheWholePercentDoneInFront) {
  EXPECT_EQ(ProgressTitle(0, 1000, u"Orvella 4.30"), u"0% - Orvella 4.30");
  EXPECT_EQ(ProgressTitle(999, 1000, u"Orvella 4.30"), u"99% - Orvella 4.30");
  EXPECT_EQ(ProgressTitle(1000, 1000, u"Orvella 4.30"), u"100% - Orvella 4.30");
  EXPECT_EQ(ProgressTitle(5, 0, u"T"), u"0% - T");  // nothing to do: nothing done
}

}  // namespace
}  // namespace orvella
