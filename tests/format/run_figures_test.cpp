#include "format/run_figures.h"

#include <gtest/gtest.h>

namespace orvella {
namespace {

using namespace std::chrono_literals;
constexpr std::int64_t kGigabyte = 1'000'000'000;

TEST(RunFigures, TheRunShowsBytesOfTheTotalTheTimeTakenAndOnceItCanTellTheTimeLeft) {
  RunFigures figures;
  const auto start = RunFigures::Clock::time_point{} + 100s;
  figures.Start(start);
  EXPECT_TRUE(figures.Running());
  // The first block gives no basis for an estimate yet.
  EXPECT_EQ(figures.Progress(0, 2 * kGigabyte, u'.', start), u"0 bytes of 2000 MB   elapsed 0 s");
  EXPECT_EQ(figures.Progress(kGigabyte, 2 * kGigabyte, u'.', start + 10s),
            u"1000 MB of 2000 MB   elapsed 10 s   10 s left");
  EXPECT_EQ(figures.End(start + 75s), u"1000 MB of 2000 MB   took 1 min 15 s");
  EXPECT_FALSE(figures.Running());
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
  figures.Progress(kGigabyte, 2 * kGigabyte, u'.', start + 10s);
  figures.End(start + 20s);
  figures.Start(start + 100s);
  EXPECT_EQ(figures.End(start + 101s), u"took 1 s");
  EXPECT_EQ(figures.Progress(0, 2 * kGigabyte, u'.', start + 102s), u"0 bytes of 2000 MB   elapsed 2 s");
}

TEST(RunFigures, TheBytesUseTheLocalesDecimalSeparator) {
  RunFigures figures;
  figures.Start(RunFigures::Clock::time_point{});
  EXPECT_EQ(figures.Progress(0, 976773168LL * 512, u',', RunFigures::Clock::time_point{}),
            u"0 bytes of 500,1 GB   elapsed 0 s");
}

TEST(RunFigures, TheTitleCarriesTheWholePercentDoneInFront) {
  EXPECT_EQ(ProgressTitle(0, 1000, u"Orvella 4.30"), u"0% - Orvella 4.30");
  EXPECT_EQ(ProgressTitle(999, 1000, u"Orvella 4.30"), u"99% - Orvella 4.30");
  EXPECT_EQ(ProgressTitle(1000, 1000, u"Orvella 4.30"), u"100% - Orvella 4.30");
  EXPECT_EQ(ProgressTitle(5, 0, u"T"), u"0% - T");  // nothing to do: nothing done
}

}  // namespace
}  // namespace orvella
