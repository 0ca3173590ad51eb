#include "format/sample_plan.h"

#include <algorithm>
#include <random>

namespace orvella {
namespace {

// Two samples of at least one sector need two sectors in every subsection.
constexpr std::int64_t kSmallestSubsection = 2;
// Each of the two samples takes a twentieth of its subsection, rounded up
// from one sector more than the shortest subsection holds: together more
// than a tenth of the drive.
constexpr std::int64_t kSampleFraction = 20;

class SplitMix64 {
 public:
  explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // A number from 0 to count - 1.
  std::int64_t Below(std::int64_t count) { return static_cast<std::int64_t>(Next() % static_cast<std::uint64_t>(count)); }

 private:
  std::uint64_t state_;
};

}  // namespace

SamplePlan MakeSamplePlan(std::int64_t totalBytes, std::int64_t sectorSize, std::uint64_t seed) {
  SamplePlan plan;
  plan.seed = seed;
  if (sectorSize <= 0 || totalBytes <= 0) return plan;
  const std::int64_t sectors = totalBytes / sectorSize;
  const std::int64_t shortest = sectors / kSampleSubsections;
  if (shortest < kSmallestSubsection) {
    plan.ranges = {{0, totalBytes}};
    plan.samples = 1;
    return plan;
  }
  plan.subsections = kSampleSubsections;
  plan.sampleSectors = (shortest + 1 + kSampleFraction - 1) / kSampleFraction;
  const std::int64_t k = plan.sampleSectors;
  SplitMix64 random(seed);
  AddMerged(plan.ranges, {0, sectorSize});
  for (std::int64_t i = 0; i < kSampleSubsections; ++i) {
    const std::int64_t first = i * sectors / kSampleSubsections;
    const std::int64_t length = (i + 1) * sectors / kSampleSubsections - first;
    // Two starts in the room left by both samples; the later one moves up
    // by a sample's length, so the two never overlap.
    const std::int64_t room = length - 2 * k + 1;
    std::int64_t a = random.Below(room);
    std::int64_t b = random.Below(room);
    if (a > b) std::swap(a, b);
    AddMerged(plan.ranges, {(first + a) * sectorSize, (first + a + k) * sectorSize});
    AddMerged(plan.ranges, {(first + b + k) * sectorSize, (first + b + 2 * k) * sectorSize});
  }
  AddMerged(plan.ranges, {(sectors - 1) * sectorSize, sectors * sectorSize});
  plan.samples = 2 * kSampleSubsections + 2;
  return plan;
}

std::uint64_t FreshSampleSeed() {
  std::random_device device;
  return (static_cast<std::uint64_t>(device()) << 32) ^ device();
}

}  // namespace orvella
