#include "format/format_write_loop.h"

#include "format/sample_plan.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <random>
#include <vector>

#include "core/clock.h"
#include "device/drive_run.h"
#include "core/text.h"
#include "format/bad_sector_narrowing.h"
#include "format/run_texts.h"
#include "format/sample_plan.h"
#include "reports/text_forms.h"

namespace orvella {
namespace {

constexpr std::int64_t kCheckEveryPasses = 10;
constexpr std::int64_t kGrowWhenUnderMs = 1'000;
// Lines naming single unwritten ranges; the result holds them all.
constexpr std::size_t kUnwrittenLinesShown = 200;

// Another program has claimed the drive or a volume on it: every further
// block would be refused too, and skipping them would only count failures.
bool MeansTakenByOthers(std::uint32_t code) {
  return code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION;
}

// Page-aligned memory of kLargestBlock bytes for the transfers of a system
// that needs the caller's buffers (Os::ZeroTransfersNeedBuffers); a system
// that writes and checks zeros with memory of its own is spared it.
class BlockBuffer {
 public:
  BlockBuffer(Os& os, bool zeroed)
      : os_(os), wanted_(os.ZeroTransfersNeedBuffers()), data_(wanted_ ? os.AllocateAligned(kLargestBlock) : nullptr) {
    if (zeroed && data_ != nullptr) std::memset(data_, 0, kLargestBlock);
  }
  ~BlockBuffer() {
    if (data_ != nullptr) os_.FreeAligned(data_);
  }
  BlockBuffer(const BlockBuffer&) = delete;
  BlockBuffer& operator=(const BlockBuffer&) = delete;

  void* Data() const { return data_; }
  bool Missing() const { return wanted_ && data_ == nullptr; }

 private:
  Os& os_;
  const bool wanted_;
  void* data_;
};

// The state of one run, from the first pass to the ending.
class WriteRun {
 public:
  WriteRun(DriveRun& run, FormatPageView& view, const EraseChoices& choices);
  void WriteAll(const void* zeros);
  WriteLoopResult Finish();

 private:
  std::int64_t NowMs() { return program_.clock.MonotonicMilliseconds(); }
  void NextBlock();
  void CheckBlockSize();
  std::int64_t WholeSectors(std::int64_t bytes) const;
  void ShowProgress();
  bool HandleBlock(const void* zeros);
  bool WriteBlock(const void* zeros);
  bool NarrowBlock(const void* zeros, std::uint32_t code);
  void CountFailed(Extent extent, std::optional<std::uint32_t> code);
  void LogError(const std::u16string& line);
  void ShowSpeed();
  WriteLoopEnding Ending();
  WriteLoopEnding VerifiedEnding();
  bool Verify();
  WriteLoopEnding Completed();
  bool Flush();
  std::u16string Here() const { return OffsetAndLba(position_, sectorSize_); }
  std::vector<Extent> Covered() const;

  DriveRun& run_;
  Program& program_;
  Os& os_;
  FormatPageView& view_;
  const EraseChoices choices_;
  const VerifyMethod verify_;
  const std::int64_t sectorSize_;
  const std::int64_t driveBytes_;
  const std::vector<Extent> extents_;
  std::size_t extent_ = 0;  // the extent being written
  std::int64_t toWrite_ = 0;
  std::int64_t readBackBytes_ = 0;  // what the read-back after the writes will read
  std::int64_t done_ = 0;      // bytes handled so far (written or failed)
  std::int64_t written_ = 0;   // bytes the drive took
  std::int64_t position_ = 0;  // offset of the next block on the drive
  std::int64_t blockSize_ = kSmallestBlock;
  std::int64_t block_ = 0;  // this pass's block: blockSize_, cut at the end of the extent
  std::int64_t passes_ = 0;
  const std::int64_t startTime_;
  std::optional<std::int64_t> checkTime_;
  bool terminated_ = false;
  bool refused_ = false;  // the drive was taken by another program
  bool writeProtected_ = false;
  std::int64_t failedBlocks_ = 0;
  std::int64_t failedInBlock_ = 0;  // bytes of this pass's block that were not written
  std::vector<Extent> failed_;
  std::size_t unwrittenLines_ = 0;
  NarrowingBudget narrowing_;
  WriteLoopResult result_;
};

WriteRun::WriteRun(DriveRun& run, FormatPageView& view, const EraseChoices& choices)
    : run_(run),
      program_(run.program),
      os_(run.program.os),
      view_(view),
      choices_(choices),
      verify_(choices.Verification()),
      sectorSize_(run.Entry().IdentifyData.SectorSize),
      // Every entry has a size that fits: the probe divides the device's
      // length by its sector size, and a drive file's length is checked as
      // it is read. A damaged one throws rather than writing a wrong extent.
      driveBytes_(DriveBytes(run.Entry().IdentifyData).value()),
      extents_(ExtentsToWrite(driveBytes_, choices.quickWipe, sectorSize_)),
      startTime_(NowMs()),
      narrowing_(startTime_) {
  for (const Extent& e : extents_) toWrite_ += e.to - e.from;
  readBackBytes_ = BytesToReadBack({verify_, choices.seed.value_or(0), driveBytes_, sectorSize_, extents_});
  position_ = extents_.front().from;
}

void WriteRun::WriteAll(const void* zeros) {
  while (done_ < toWrite_ && !run_.StopRequested) {
    const std::int64_t passStart = NowMs();
    NextBlock();
    if (!HandleBlock(zeros)) return;
    ShowProgress();
    view_.ProcessPendingMessages();
    ShowSpeed();
    blockSize_ = BlockAfterPass(blockSize_, NowMs() - passStart);
  }
}

void WriteRun::NextBlock() {
  ++passes_;
  if (passes_ % kCheckEveryPasses == 0) CheckBlockSize();
  if (position_ >= extents_[extent_].to) position_ = extents_.at(++extent_).from;
  block_ = std::min(WholeSectors(blockSize_), extents_[extent_].to - position_);
}

// A sector size that does not divide the block (520 bytes, or 96 KiB) would
// cut a sector at every block's end, and the drive refuses such writes: the
// block is cut to whole sectors, and is at least one sector (which
// kLargestSectorSize keeps within kLargestBlock).
std::int64_t WriteRun::WholeSectors(std::int64_t bytes) const {
  if (sectorSize_ <= 0) return bytes;
  return std::max(bytes - bytes % sectorSize_, sectorSize_);
}

// Grows the block while ten passes take less than a second, so that fast
// drives are written in large blocks and slow ones keep the window lively.
void WriteRun::CheckBlockSize() {
  const std::optional<std::int64_t> previous = checkTime_;
  checkTime_ = NowMs();
  if (previous && *checkTime_ - *previous < kGrowWhenUnderMs) blockSize_ = std::min(blockSize_ * 2, kLargestBlock);
}

// The state once this pass's block is written: the percentage counts only
// bytes the drive took.
void WriteRun::ShowProgress() {
  const std::int64_t percent =
      RoundHalfToEven(static_cast<double>(written_) / static_cast<double>(toWrite_) * 100.0);
  view_.SetProgressPosition(static_cast<int>(percent));
  view_.SetCaption(FormatLabel::CurrentPercent, IntToStr(percent) + u"% complete");
  view_.SetCaption(FormatLabel::CurrentPosition, u"Current sector: " + IntToGroupedStr(SectorOf(position_, sectorSize_)));
  view_.ShowPassProgress({RunPass::Writing, false, 1, verify_ == VerifyMethod::Off ? 1 : 2, written_, toWrite_,
                          readBackBytes_});
}

// Seeks to and writes one block. False when the run must end at once (the
// drive gone or write protected), with position_ still at the failed block.
bool WriteRun::HandleBlock(const void* zeros) {
  failedInBlock_ = 0;
  if (SeekDevice(os_, run_.DeviceHandle, position_) != position_) {
    LogError(u"Seek error occurred at offset " + IntToGroupedStr(position_));
    CountFailed({position_, position_ + block_}, std::nullopt);
  } else if (!WriteBlock(zeros)) {
    return false;
  }
  if (failedInBlock_ > 0) ++failedBlocks_;
  written_ += block_ - failedInBlock_;
  position_ += block_;
  done_ += block_;
  return true;
}

// False when the drive is gone, taken by another program or refuses every
// write; other failures are narrowed to the sectors that refuse.
bool WriteRun::WriteBlock(const void* zeros) {
  std::uint32_t written = 0;
  const auto length = static_cast<std::uint32_t>(block_);
  if (os_.WriteZeros(run_.DeviceHandle, zeros, length, &written) && written == length) return true;
  const std::uint32_t code = os_.GetLastError();
  LogError(u"Format Error occurred at offset " + IntToGroupedStr(position_) + u":   " + CodeAndText(code));
  if (MeansUnplugged(code)) {
    LogError(u"Device was unplugged, aborting...");
    terminated_ = true;
    return false;
  }
  if (MeansTakenByOthers(code)) {
    LogError(u"Another program has taken the device, aborting...");
    refused_ = true;
    return false;
  }
  // Nothing can be written to a protected medium: going on would only
  // repeat this line for every block.
  if (code == ERROR_WRITE_PROTECT) {
    writeProtected_ = true;
    return false;
  }
  return NarrowBlock(zeros, code);
}

bool WriteRun::NarrowBlock(const void* zeros, std::uint32_t code) {
  const NarrowingTarget target{os_, run_.DeviceHandle, zeros, sectorSize_, program_.clock};
  const bool budgetSpentBefore = narrowing_.spent;
  const NarrowedBlock narrowed = NarrowFailedBlock(target, {position_, position_ + block_}, code, narrowing_);
  if (narrowed.driveGone) {
    LogError(u"Format Error occurred at offset " + IntToGroupedStr(position_) + u":   " +
             CodeAndText(narrowed.goneCode));
    LogError(u"Device was unplugged, aborting...");
    terminated_ = true;
    return false;
  }
  for (const FailedRange& range : narrowed.failed) CountFailed(range.extent, range.code);
  if (narrowed.cutShort && !budgetSpentBefore)
    LogError(u"Retries of the block at offset " + IntToGroupedStr(position_) +
             (narrowing_.spent ? u" ran out of time; from here on, a failed block is counted whole."
                               : u" reached their limit; the rest of the block is counted as not written."));
  return true;
}

// Adds an unwritten range; with its error code it gets a line of its own
// (a seek failure has had its line already).
void WriteRun::CountFailed(Extent extent, std::optional<std::uint32_t> code) {
  failedInBlock_ += extent.to - extent.from;
  AddMerged(failed_, extent);
  if (!code) return;
  if (unwrittenLines_ < kUnwrittenLinesShown)
    LogError(u"Not written: offset " + OffsetAndLba(extent.from, sectorSize_) + u", " +
             SectorsAndBytes(extent.to - extent.from, sectorSize_) + u":   " + CodeAndText(*code));
  else if (unwrittenLines_ == kUnwrittenLinesShown)
    LogError(u"More ranges could not be written; only the first " +
             IntToGroupedStr(static_cast<std::int64_t>(kUnwrittenLinesShown)) + u" are listed.");
  ++unwrittenLines_;
}

void WriteRun::LogError(const std::u16string& line) {
  AddFormatLog(run_, line);
  result_.errorLines.push_back(line);
}

// The average over the whole run so far, of the bytes the drive took.
void WriteRun::ShowSpeed() {
  const std::int64_t elapsed = NowMs() - startTime_;
  if (elapsed > 0)
    view_.SetCaption(FormatLabel::Speed, SpeedText(written_, elapsed, program_.locale.DecimalSeparator()));
}

WriteLoopResult WriteRun::Finish() {
  AddFormatLog(run_, u"Average speed: " + view_.Caption(FormatLabel::Speed));
  result_.quickWipe = choices_.quickWipe;
  // Bytes past the last whole sector are never written: the run then did
  // not cover the whole device, however it ended.
  result_.wholeDrive = extents_.size() == 1 && run_.Entry().IdentifyData.UnaddressableBytes == 0;
  result_.bytesToWrite = toWrite_;
  result_.ending = Ending();
  result_.covered = Covered();
  result_.failed = failed_;
  result_.failedBlocks = failedBlocks_;
  run_.StopRequested = false;
  return std::move(result_);
}

// The extents before the current one whole, the current one up to where the
// run stopped.
std::vector<Extent> WriteRun::Covered() const {
  std::vector<Extent> covered(extents_.begin(), extents_.begin() + static_cast<std::ptrdiff_t>(extent_));
  const Extent current{extents_[extent_].from, position_};
  if (current.to > current.from) covered.push_back(current);
  return covered;
}

// Complete means on the medium: every sector written, the drive's caches
// flushed and, where asked, read back as zeros; anything less is said
// plainly.
WriteLoopEnding WriteRun::Ending() {
  if (terminated_) {
    AddFormatLog(run_, u"Operation terminated at offset " + Here());
    return WriteLoopEnding::Terminated;
  }
  if (writeProtected_) {
    AddFormatLog(run_, u"Low-level format did not complete: the media is write protected; nothing was "
                           u"written from offset " + Here() + u" on.");
    return WriteLoopEnding::WriteProtected;
  }
  if (run_.StopRequested) {
    result_.flushed = Flush();
    AddFormatLog(run_, u"Operation cancelled at offset " + Here());
    AddFormatLog(run_, result_.flushed ? u"What was written before the stop has been flushed to the drive."
                                           : u"What was written before the stop may not have reached the medium.");
    return WriteLoopEnding::Cancelled;
  }
  result_.flushed = Flush();
  if (refused_) {
    AddFormatLog(run_, u"Low-level format did not complete: writing was refused at offset " + Here());
    return WriteLoopEnding::NotComplete;
  }
  if (!result_.flushed) {
    AddFormatLog(run_,
                 u"Low-level format did not complete: the drive could not confirm that the zeros "
                 u"reached the medium.");
    return WriteLoopEnding::NotComplete;
  }
  return VerifiedEnding();
}

WriteLoopEnding WriteRun::VerifiedEnding() {
  if (!Verify()) return WriteLoopEnding::NotComplete;
  const VerificationOutcome& v = result_.verification;
  if (v.result == VerifyResult::Cancelled) return WriteLoopEnding::Cancelled;
  if (v.result == VerifyResult::DriveGone) return WriteLoopEnding::Terminated;
  if (failedBlocks_ > 0) {
    AddFormatLog(run_, u"Low-level format did not complete: " + SectorsAndBytes(BytesIn(failed_), sectorSize_) +
                               u" could not be written.");
    return WriteLoopEnding::NotComplete;
  }
  if (v.result == VerifyResult::Mismatch) {
    AddFormatLog(run_, u"Low-level format did not complete: the read-back found " +
                               SectorsAndBytes(BytesIn(v.mismatches), sectorSize_) +
                               u" that are not zero; the drive lost writes.");
    return WriteLoopEnding::NotComplete;
  }
  if (v.result == VerifyResult::Unreadable) {
    AddFormatLog(run_, u"Low-level format did not complete: " + SectorsAndBytes(BytesIn(v.unread), sectorSize_) +
                               u" could not be read back.");
    return WriteLoopEnding::NotComplete;
  }
  return Completed();
}

// Reads back what was written, unless the user turned that off. False when
// the read buffer could not be had.
bool WriteRun::Verify() {
  result_.verification.method = verify_;
  if (verify_ == VerifyMethod::Off) return true;
  BlockBuffer buffer(os_, false);
  if (buffer.Missing()) {
    LogError(u"Not enough memory for the 33,554,432-byte read-back buffer; nothing was read back.");
    return false;
  }
  VerifyRequest request{verify_, choices_.seed.value_or(0), driveBytes_, sectorSize_,
                        Without(Covered(), failed_)};
  if (verify_ == VerifyMethod::Sample && !choices_.seed) request.seed = FreshSampleSeed();
  result_.verification = VerifyZeros(run_, view_, buffer.Data(), request);
  const auto& lines = result_.verification.errorLines;
  result_.errorLines.insert(result_.errorLines.end(), lines.begin(), lines.end());
  return true;
}

WriteLoopEnding WriteRun::Completed() {
  view_.SetProgressPosition(100);
  AddFormatLog(run_, u"Low-level format is complete.");
  if (extents_.size() > 1)
    AddFormatLog(run_, u"Quick wipe: only the first and the last " + IntToGroupedStr(kQuickWipeExtent) +
                               u" bytes were zeroed; the rest of the data is still readable.");
  return WriteLoopEnding::Complete;
}

bool WriteRun::Flush() {
  if (os_.FlushFileBuffers(run_.DeviceHandle)) return true;
  LogError(u"Flush error occurred:   " + CodeAndText(os_.GetLastError()));
  return false;
}

}  // namespace

// A quick wipe takes both ends, since a GPT disk keeps a backup of its
// partition table in its last sectors; each end is whole sectors
// (10,240,000 bytes are not a whole number of 520-byte sectors).
std::vector<Extent> ExtentsToWrite(std::int64_t total, bool quickWipe, std::int64_t sectorSize) {
  const std::int64_t end =
      sectorSize > 0 ? (kQuickWipeExtent + sectorSize - 1) / sectorSize * sectorSize : kQuickWipeExtent;
  if (!quickWipe || total <= 2 * end) return {Extent{0, total}};
  return {Extent{0, end}, Extent{total - end, total}};
}

std::int64_t SeekDevice(Os& os, Handle handle, std::int64_t offset) {
  std::int64_t newPosition = 0;
  if (!os.SetFilePointerEx(handle, offset, &newPosition, FILE_BEGIN)) return -1;
  return newPosition;
}

WriteLoopResult FormatWriteLoop(DriveRun& run, FormatPageView& view, const EraseChoices& choices) {
  BlockBuffer zeros(run.program.os, true);
  if (zeros.Missing()) {
    const std::u16string line = u"Not enough memory for the 33,554,432-byte write buffer; nothing was written.";
    AddFormatLog(run, line);
    run.StopRequested = false;
    WriteLoopResult result;
    result.quickWipe = choices.quickWipe;
    result.errorLines.push_back(line);
    return result;
  }
  view.ProcessPendingMessages();
  WriteRun writing(run, view, choices);
  writing.WriteAll(zeros.Data());
  return writing.Finish();
}

}  // namespace orvella
