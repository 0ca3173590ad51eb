#include "format/sample_plan.h"

#include <gtest/gtest.h>

#include "format/extent.h"

namespace orvella {
namespace {

constexpr std::int64_t kSector = 512;

TEST(SamplePlan, TakesTheEndsAndTwoSeparateSamplesInEachOfAThousandSubsections) {
  for (const std::int64_t sectors : {std::int64_t{2'000}, std::int64_t{131'072}, std::int64_t{3'906'250},
                                     std::int64_t{1'953'525'168}}) {
    const std::int64_t total = sectors * kSector;
    const SamplePlan plan = MakeSamplePlan(total, kSector, 42);
    EXPECT_EQ(plan.subsections, 1'000) << sectors;
    EXPECT_EQ(plan.samples, 2'002) << sectors;
    ASSERT_FALSE(plan.ranges.empty());
    EXPECT_EQ(plan.ranges.front().from, 0);
    EXPECT_EQ(plan.ranges.back().to, total);
    // At least a tenth of the drive, in whole sectors, ascending and apart.
    EXPECT_GE(BytesIn(plan.ranges) * 10, total) << sectors;
    for (std::size_t i = 0; i < plan.ranges.size(); ++i) {
      EXPECT_EQ(plan.ranges[i].from % kSector, 0);
      EXPECT_EQ(plan.ranges[i].to % kSector, 0);
      if (i > 0) {
        EXPECT_LT(plan.ranges[i - 1].to, plan.ranges[i].from);
      }
    }
    // Every subsection holds exactly two samples' worth of sectors.
    for (std::int64_t s = 0; s < 1'000; s += 97) {
      const Extent subsection{s * sectors / 1'000 * kSector, (s + 1) * sectors / 1'000 * kSector};
      std::int64_t inside = BytesIn(Intersection(plan.ranges, {subsection}));
      if (s == 0) inside -= kSector;  // the first sector, unless a sample holds it too
      EXPECT_GE(inside, 2 * plan.sampleSectors * kSector - kSector) << sectors << " subsection " << s;
      EXPECT_LE(inside, 2 * plan.sampleSectors * kSector) << sectors << " subsection " << s;
    }
  }
}

TEST(SamplePlan, TheSeedAloneDecidesThePlan) {
  const std::int64_t total = 3'906'250 * kSector;
  EXPECT_EQ(MakeSamplePlan(total, kSector, 7).ranges, MakeSamplePlan(total, kSector, 7).ranges);
  EXPECT_NE(MakeSamplePlan(total, kSector, 7).ranges, MakeSamplePlan(total, kSector, 8).ranges);
  EXPECT_EQ(MakeSamplePlan(total, kSector, 7).seed, 7u);
}

TEST(SamplePlan, ADriveTooSmallToSampleIsReadWhole) {
  const SamplePlan plan = MakeSamplePlan(1'999 * kSector, kSector, 1);
  EXPECT_EQ(plan.subsections, 0);
  EXPECT_EQ(plan.ranges, (std::vector<Extent>{{0, 1'999 * kSector}}));
  EXPECT_TRUE(MakeSamplePlan(0, kSector, 1).ranges.empty());
  EXPECT_TRUE(MakeSamplePlan(1 << 20, 0, 1).ranges.empty());
}

TEST(Extents, MergeSubtractAndIntersect) {
  std::vector<Extent> list;
  AddMerged(list, {100, 200});
  AddMerged(list, {300, 400});
  AddMerged(list, {200, 250});  // touches: joined
  AddMerged(list, {0, 50});     // before: sorted in
  AddMerged(list, {240, 310});  // bridges two
  EXPECT_EQ(list, (std::vector<Extent>{{0, 50}, {100, 400}}));
  EXPECT_EQ(BytesIn(list), 350);

  const std::vector<Extent> covered = {{0, 1000}, {5000, 6000}};
  EXPECT_EQ(Without(covered, {{0, 10}, {500, 600}, {990, 5010}}),
            (std::vector<Extent>{{10, 500}, {600, 990}, {5010, 6000}}));
  EXPECT_EQ(Without(covered, {}), covered);
  EXPECT_EQ(Intersection(covered, {{900, 5100}, {5900, 7000}}),
            (std::vector<Extent>{{900, 1000}, {5000, 5100}, {5900, 6000}}));
  EXPECT_TRUE(Intersection(covered, {{1000, 5000}}).empty());
}

TEST(Extents, WithinARangeAndBridgedOverNarrowGaps) {
  const std::vector<Extent> list = {{0, 100}, {150, 200}, {400, 500}, {520, 600}};
  EXPECT_EQ(Within(list, {50, 410}), (std::vector<Extent>{{50, 100}, {150, 200}, {400, 410}}));
  EXPECT_EQ(Within(list, {100, 150}), std::vector<Extent>{});  // the gap alone
  EXPECT_EQ(Within(list, {600, 700}), std::vector<Extent>{});
  EXPECT_EQ(Bridged(list, 50), (std::vector<Extent>{{0, 100}, {150, 200}, {400, 600}}));  // 50 is not narrower
  EXPECT_EQ(Bridged(list, 51), (std::vector<Extent>{{0, 200}, {400, 600}}));
  EXPECT_EQ(Bridged(list, 0), list);
  EXPECT_TRUE(Bridged({}, 1'000).empty());
}

}  // namespace
}  // namespace orvella
