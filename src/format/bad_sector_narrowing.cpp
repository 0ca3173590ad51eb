#include "format/bad_sector_narrowing.h"

#include "format/run_texts.h"

namespace orvella {
namespace {

class Narrowing {
 public:
  Narrowing(const NarrowingTarget& target, NarrowingBudget& budget) : t_(target), budget_(budget) {}

  // Splits a failed piece and writes its halves; each failing half is
  // narrowed the same way.
  void Split(Extent piece, std::uint32_t code) {
    if (result_.driveGone) return;
    const std::int64_t sectors = (piece.to - piece.from) / t_.sectorSize;
    if (sectors <= 1) return Fail(piece, code);
    const std::int64_t middle = piece.from + sectors / 2 * t_.sectorSize;
    for (const Extent half : {Extent{piece.from, middle}, Extent{middle, piece.to}}) {
      if (result_.driveGone) return;
      if (OutOfBudget()) {
        result_.cutShort = true;
        Fail(half, code);
        continue;
      }
      const std::uint32_t failure = Write(half);
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
    if (!budget_.spent && t_.clock.MonotonicMilliseconds() >= budget_.deadlineMs) budget_.spent = true;
    return budget_.spent || attempts_ >= kNarrowingAttemptsPerBlock;
  }

  // 0 when the piece was written, else the error code.
  std::uint32_t Write(Extent piece) {
    ++attempts_;
    std::int64_t position = -1;
    if (!t_.os.SetFilePointerEx(t_.handle, piece.from, &position, FILE_BEGIN) || position != piece.from)
      return ERROR_SEEK;
    std::uint32_t written = 0;
    const auto length = static_cast<std::uint32_t>(piece.to - piece.from);
    if (t_.os.WriteFile(t_.handle, t_.zeros, length, &written) && written == length) return 0;
    const std::uint32_t code = t_.os.GetLastError();
    return code == 0 ? ERROR_IO_DEVICE : code;
  }

  void Fail(Extent piece, std::uint32_t code) {
    if (!result_.failed.empty() && result_.failed.back().extent.to == piece.from && result_.failed.back().code == code)
      result_.failed.back().extent.to = piece.to;
    else
      result_.failed.push_back({piece, code});
  }

  const NarrowingTarget& t_;
  NarrowingBudget& budget_;
  std::int64_t attempts_ = 0;
  NarrowedBlock result_;
};

}  // namespace

NarrowedBlock NarrowFailedBlock(const NarrowingTarget& target, Extent block, std::uint32_t code,
                                NarrowingBudget& budget) {
  Narrowing narrowing(target, budget);
  if (target.sectorSize <= 0 || budget.spent) {
    NarrowedBlock whole;
    whole.failed.push_back({block, code});
    whole.cutShort = budget.spent;
    return whole;
  }
  narrowing.Split(block, code);
  return narrowing.Result();
}

}  // namespace orvella
