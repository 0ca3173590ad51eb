// A block whose write (or read-back) failed is tried again in halves, and
// the halves that fail in halves again, down to single sectors, so that only
// the sectors that really refuse stay unwritten (or unread). The work is
// bounded: a block gets at most a fixed number of attempts, a run a fixed
// time for all its blocks; what is left when either is spent counts as
// failed, and says so.
#pragma once

#include <cstdint>
#include <functional>
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
  bool driveGone = false;           // an attempt found the drive gone; narrowing stopped there
  std::uint32_t goneCode = 0;
  bool cutShort = false;            // the budget ran out: the ranges left were counted whole
};

struct NarrowingTarget {
  Os& os;
  Handle handle;
  const void* zeros;  // for Os::WriteZeros: nullptr where the system needs no buffer
  std::int64_t sectorSize;
  Clock& clock;
};

// Narrows `block`, whose whole write failed with `code`.
NarrowedBlock NarrowFailedBlock(const NarrowingTarget& target, Extent block, std::uint32_t code,
                                NarrowingBudget& budget);

// One more try of a piece of a failed block: 0 when it went through, else
// the error code.
using PieceAttempt = std::function<std::uint32_t(Extent piece)>;

// Narrows `block`, which failed whole with `code`, trying its pieces with
// `attempt`, in sectors of `sectorSize` bytes.
NarrowedBlock NarrowFailedPieces(const PieceAttempt& attempt, std::int64_t sectorSize, Clock& clock, Extent block,
                                 std::uint32_t code, NarrowingBudget& budget);

}  // namespace orvella
