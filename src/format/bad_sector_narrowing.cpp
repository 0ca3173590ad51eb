#include "format/bad_sector_narrowing.h"

#include "format/run_texts.h"

namespace orvella {
namespace {

class Narrowing {
 public:
  Narrowing(const PieceAttempt& attempt, std::int64_t sectorSize, Clock& clock, NarrowingBudget& budget)
      : attempt_(attempt), sectorSize_(sectorSize), clock_(clock), budget_(budget) {}

  // Splits a failed piece and tries its halves; each failing half is
  // narrowed the same way.
  void Split(Extent piece, std::uint32_t code) {
    if (result_.driveGone) return;
    const std::int64_t sectors = (piece.to - piece.from) / sectorSize_;
    if (sectors <= 1) return Fail(piece, code);
    const std::int64_t middle = piece.from + sectors / 2 * sectorSize_;
    for (const Extent half : {Extent{piece.from, middle}, Extent{middle, piece.to}}) {
      if (result_.driveGone) return;
      if (OutOfBudget()) {
        result_.cutShort = true;
        Fail(half, code);
        continue;
      }
      ++attempts_;
      const std::uint32_t failure = attempt_(half);
      if (failure == 0) continue;
      if (MeansUnplugged(failure)) {
        result_.driveGone = true;
        result_.goneCode = failure;
        return;
      }
      Split(half, failure);
    }
  }

  NarrowedBlock Result() { return std::move(result_); }

 private:
  bool OutOfBudget() {
    if (!budget_.spent && clock_.MonotonicMilliseconds() >= budget_.deadlineMs) budget_.spent = true;
    return budget_.spent || attempts_ >= kNarrowingAttemptsPerBlock;
  }

  void Fail(Extent piece, std::uint32_t code) {
    if (!result_.failed.empty() && result_.failed.back().extent.to == piece.from && result_.failed.back().code == code)
      result_.failed.back().extent.to = piece.to;
    else
      result_.failed.push_back({piece, code});
  }

  const PieceAttempt& attempt_;
  const std::int64_t sectorSize_;
  Clock& clock_;
  NarrowingBudget& budget_;
  std::int64_t attempts_ = 0;
  NarrowedBlock result_;
};

// 0 when the piece was written, else the error code.
std::uint32_t WriteZeros(const NarrowingTarget& t, Extent piece) {
  std::int64_t position = -1;
  if (!t.os.SetFilePointerEx(t.handle, piece.from, &position, FILE_BEGIN) || position != piece.from)
    return ERROR_SEEK;
  std::uint32_t written = 0;
  const auto length = static_cast<std::uint32_t>(piece.to - piece.from);
  if (t.os.WriteZeros(t.handle, t.zeros, length, &written) && written == length) return 0;
  const std::uint32_t code = t.os.GetLastError();
  return code == 0 ? ERROR_IO_DEVICE : code;
}

}  // namespace

NarrowedBlock NarrowFailedBlock(const NarrowingTarget& target, Extent block, std::uint32_t code,
                                NarrowingBudget& budget) {
  const PieceAttempt write = [&target](Extent piece) { return WriteZeros(target, piece); };
  return NarrowFailedPieces(write, target.sectorSize, target.clock, block, code, budget);
}

NarrowedBlock NarrowFailedPieces(const PieceAttempt& attempt, std::int64_t sectorSize, Clock& clock, Extent block,
                                 std::uint32_t code, NarrowingBudget& budget) {
  if (sectorSize <= 0 || budget.spent) {
    NarrowedBlock whole;
    whole.failed.push_back({block, code});
    whole.cutShort = budget.spent;
    return whole;
  }
  Narrowing narrowing(attempt, sectorSize, clock, budget);
  narrowing.Split(block, code);
  return narrowing.Result();
}

}  // namespace orvella
