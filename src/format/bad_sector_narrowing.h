// A block whose write failed is written again in halves, and the halves that
// fail in halves again, down to single sectors, so that only the sectors
// that really refuse stay unwritten. The work is bounded: a block gets at
// most a fixed number of attempts, a run a fixed time for all its blocks;
// what is left when either is spent counts as not written, and says so.
#pragma once

#include <cstdint>
#include <vector>

#include "core/clock.h"
#include "format/extent.h"
#include "platform/os.h"

namespace orvella {

inline constexpr std::int64_t kNarrowingAttemptsPerBlock = 4'096;
inline constexpr std::int64_t kNarrowingMsPerRun = 600'000;  // ten minutes

// What the narrowing of a run may still spend.
struct NarrowingBudget {
  explicit NarrowingBudget(std::int64_t startMs) : deadlineMs(startMs + kNarrowingMsPerRun) {}
  std::int64_t deadlineMs;
  bool spent = false;  // the time ran out; later blocks are not narrowed
};

struct FailedRange {
  Extent extent;
  std::uint32_t code = 0;
};

struct NarrowedBlock {
  std::vector<FailedRange> failed;  // ascending, adjacent ranges of one code joined
  bool driveGone = false;           // a write found the drive gone; narrowing stopped there
  std::uint32_t goneCode = 0;
  bool cutShort = false;            // the budget ran out: the ranges left were counted whole
};

struct NarrowingTarget {
  Os& os;
  Handle handle;
  const void* zeros;
  std::int64_t sectorSize;
  Clock& clock;
};

// Narrows `block`, whose whole write failed with `code`.
NarrowedBlock NarrowFailedBlock(const NarrowingTarget& target, Extent block, std::uint32_t code,
                                NarrowingBudget& budget);

}  // namespace orvella
