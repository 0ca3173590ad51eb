// The read-back sample of NIST SP 800-88 r1 (section 4.7.3): the first and
// the last sector, and the drive cut into 1,000 equal subsections with two
// non-overlapping pseudo-random samples in each, together at least 10 % of
// the drive. The positions follow from the seed alone (splitmix64, taken
// modulo the free room), so a recorded seed lets anyone repeat the plan.
#pragma once

#include <cstdint>
#include <vector>

#include "format/extent.h"

namespace orvella {

inline constexpr std::int64_t kSampleSubsections = 1'000;

struct SamplePlan {
  std::uint64_t seed = 0;
  std::int64_t subsections = 0;    // 0: the drive is too small to sample; it is read whole
  std::int64_t sampleSectors = 0;  // sectors in each subsection's sample
  std::int64_t samples = 0;        // the sample count, the first and last sectors included
  std::vector<Extent> ranges;      // what to read, ascending, merged
};

// The plan for a drive of `totalBytes` in sectors of `sectorSize`.
SamplePlan MakeSamplePlan(std::int64_t totalBytes, std::int64_t sectorSize, std::uint64_t seed);

// A seed from the system's random source, for a run that was given none.
std::uint64_t FreshSampleSeed();

}  // namespace orvella
