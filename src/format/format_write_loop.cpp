#include "format/format_write_loop.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "core/clock.h"
#include "core/log_sinks.h"
#include "core/program.h"
#include "core/text.h"
#include "reports/text_forms.h"

namespace orvella {
namespace {

constexpr std::int64_t kBufferSize = 33'554'432;  // the zero buffer, and the largest block
constexpr std::int64_t kFirstBlock = 65'536;
constexpr std::int64_t kCheckEveryPasses = 10;
constexpr std::int64_t kGrowWhenUnderMs = 1'000;
constexpr std::int64_t kQuickWipeExtent = 10'240'000;

// What a run writes, in order. A quick wipe takes both ends, since a GPT
// disk keeps a backup of its partition table in its last sectors.
std::vector<Extent> ExtentsToWrite(std::int64_t total, bool quickWipe) {
  if (!quickWipe || total <= 2 * kQuickWipeExtent) return {Extent{0, total}};
  return {Extent{0, kQuickWipeExtent}, Extent{total - kQuickWipeExtent, total}};
}

std::u16string WriteErrorText(std::uint32_t code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_DEV_NOT_EXIST: return u"Media was unplugged";
    case ERROR_WRITE_PROTECT: return u"The media is write protected";
    case ERROR_NOT_READY:
    case ERROR_SEM_TIMEOUT: return u"Device not ready (Timeout)";
    case ERROR_IO_DEVICE: return u"Device I/O error";
    default: return {};
  }
}

bool MeansUnplugged(std::uint32_t code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_DEV_NOT_EXIST;
}

// Another program has claimed the drive or a volume on it: every further
// block would be refused too, and skipping them would only count failures.
bool MeansTakenByOthers(std::uint32_t code) {
  return code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION;
}

// "1117 - Device I/O error", or the bare code when the table has no text.
std::u16string CodeAndText(std::uint32_t code) {
  const std::u16string text = WriteErrorText(code);
  return UIntToStr(code) + (text.empty() ? u"" : u" - " + text);
}

std::int64_t RoundHalfToEven(double value) {
  const double below = std::floor(value);
  const double fraction = value - below;
  const bool up = fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0);
  return static_cast<std::int64_t>(up ? below + 1 : below);
}

// Millions of bytes per second with one decimal, "0.0" style, rounded half
// away from zero; worked in whole numbers so that no float error creeps in.
std::u16string SpeedText(std::int64_t bytes, std::int64_t elapsedMs, char16_t decimalSeparator) {
  const std::int64_t tenths = (bytes + elapsedMs * 50) / (elapsedMs * 100);
  return IntToStr(tenths / 10) + decimalSeparator + IntToStr(tenths % 10) + u" MB/s";
}

// The page-aligned zero buffer that every write sends from.
class ZeroBuffer {
 public:
  explicit ZeroBuffer(Os& os) : os_(os), data_(os.AllocateAligned(kBufferSize)) {
    if (data_ != nullptr) std::memset(data_, 0, kBufferSize);
  }
  ~ZeroBuffer() { GiveBack(); }
  ZeroBuffer(const ZeroBuffer&) = delete;
  ZeroBuffer& operator=(const ZeroBuffer&) = delete;

  const void* Data() const { return data_; }
  void GiveBack() {
    if (data_ != nullptr) os_.FreeAligned(data_);
    data_ = nullptr;
  }

 private:
  Os& os_;
  void* data_;
};

// The state of one run, from the first pass to the ending.
class WriteRun {
 public:
  WriteRun(Program& program, FormatPageView& view, bool quickWipe);
  void WriteAll(const void* zeros);
  WriteLoopResult Finish();

 private:
  std::int64_t NowMs() { return ToMilliseconds(program_.clock.Now()); }
  void NextBlock();
  void CheckBlockSize();
  void ShowProgress();
  bool HandleBlock(const void* zeros);
  bool WriteBlock(const void* zeros);
  void CountFailedBlock();
  void LogError(const std::u16string& line);
  void ShowSpeed();
  WriteLoopEnding Ending();
  bool Flush();
  std::int64_t SectorOf(std::int64_t offset) const;
  std::u16string OffsetAndLba() const;
  std::u16string NotWrittenLine() const;
  std::vector<Extent> Covered() const;

  Program& program_;
  Os& os_;
  FormatPageView& view_;
  const std::int64_t sectorSize_;
  const std::vector<Extent> extents_;
  std::size_t extent_ = 0;  // the extent being written
  std::int64_t toWrite_ = 0;
  std::int64_t done_ = 0;      // bytes handled so far (written or failed)
  std::int64_t position_ = 0;  // offset of the next block on the drive
  std::int64_t blockSize_ = kFirstBlock;
  std::int64_t block_ = 0;  // this pass's block: blockSize_, cut at the end of the extent
  std::int64_t passes_ = 0;
  const std::int64_t startTime_;
  std::optional<std::int64_t> checkTime_;
  bool terminated_ = false;
  bool refused_ = false;  // the drive was taken by another program
  std::int64_t failedBlocks_ = 0;
  std::int64_t failedBytes_ = 0;
  std::vector<Extent> failed_;
  std::vector<std::u16string> errorLines_;
};

WriteRun::WriteRun(Program& program, FormatPageView& view, bool quickWipe)
    : program_(program),
      os_(program.os),
      view_(view),
      sectorSize_(program.SelectedEntry().IdentifyData.SectorSize),
      extents_(ExtentsToWrite(program.SelectedEntry().IdentifyData.LBA * sectorSize_, quickWipe)),
      startTime_(NowMs()) {
  for (const Extent& e : extents_) toWrite_ += e.to - e.from;
  position_ = extents_.front().from;
}

void WriteRun::WriteAll(const void* zeros) {
  while (done_ < toWrite_ && !program_.StopRequested) {
    NextBlock();
    ShowProgress();
    view_.ProcessPendingMessages();
    if (!HandleBlock(zeros)) return;
    ShowSpeed();
  }
}

void WriteRun::NextBlock() {
  ++passes_;
  if (passes_ % kCheckEveryPasses == 0) CheckBlockSize();
  if (position_ >= extents_[extent_].to) position_ = extents_.at(++extent_).from;
  block_ = std::min(blockSize_, extents_[extent_].to - position_);
}

// Grows the block while ten passes take less than a second, so that fast
// drives are written in large blocks and slow ones keep the window lively.
void WriteRun::CheckBlockSize() {
  const std::optional<std::int64_t> previous = checkTime_;
  checkTime_ = NowMs();
  if (previous && *checkTime_ - *previous < kGrowWhenUnderMs)
    blockSize_ = std::min(blockSize_ * 2, kBufferSize);
}

// The state once this pass's block is written.
void WriteRun::ShowProgress() {
  const std::int64_t percent =
      RoundHalfToEven(static_cast<double>(done_ + block_) / static_cast<double>(toWrite_) * 100.0);
  view_.SetProgressPosition(static_cast<int>(percent));
  view_.SetCaption(FormatLabel::CurrentPercent, IntToStr(percent) + u"% complete");
  view_.SetCaption(FormatLabel::CurrentPosition,
                   u"Current sector: " + IntToGroupedStr(SectorOf(position_ + block_)));
  view_.ShowBytesDone(done_ + block_, toWrite_);
}

// Seeks to and writes one block. False when the drive is gone and the run
// must end at once, with position_ still at the failed block.
bool WriteRun::HandleBlock(const void* zeros) {
  if (SeekDevice(os_, program_.DeviceHandle, position_) != position_) {
    LogError(u"Seek error occurred at offset " + IntToGroupedStr(position_));
    CountFailedBlock();
  } else if (!WriteBlock(zeros)) {
    return false;
  }
  position_ += block_;
  done_ += block_;
  return true;
}

// False when the drive is gone or taken; other failures are logged and
// counted.
bool WriteRun::WriteBlock(const void* zeros) {
  std::uint32_t written = 0;
  const auto length = static_cast<std::uint32_t>(block_);
  if (os_.WriteFile(program_.DeviceHandle, zeros, length, &written) && written == length) return true;
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
  CountFailedBlock();
  return true;
}

void WriteRun::LogError(const std::u16string& line) {
  AddFormatLog(program_, line);
  errorLines_.push_back(line);
}

void WriteRun::CountFailedBlock() {
  ++failedBlocks_;
  failedBytes_ += block_;
  if (!failed_.empty() && failed_.back().to == position_) {
    failed_.back().to += block_;
  } else {
    failed_.push_back(Extent{position_, position_ + block_});
  }
}

// The average over the whole run so far; a clock that stepped back leaves
// the label as it was.
void WriteRun::ShowSpeed() {
  const std::int64_t elapsed = std::max<std::int64_t>(NowMs() - startTime_, 0);
  if (elapsed > 0)
    view_.SetCaption(FormatLabel::Speed, SpeedText(done_, elapsed, program_.locale.DecimalSeparator()));
}

WriteLoopResult WriteRun::Finish() {
  AddFormatLog(program_, u"Average speed: " + view_.Caption(FormatLabel::Speed));
  const WriteLoopEnding ending = Ending();
  program_.StopRequested = false;
  return WriteLoopResult{ending, Covered(), failed_, failedBlocks_, errorLines_};
}

// The extents before the current one whole, the current one up to where the
// run stopped.
std::vector<Extent> WriteRun::Covered() const {
  std::vector<Extent> covered(extents_.begin(), extents_.begin() + static_cast<std::ptrdiff_t>(extent_));
  const Extent current{extents_[extent_].from, position_};
  if (current.to > current.from) covered.push_back(current);
  return covered;
}

// Complete means on the medium, every block written and the drive's caches
// flushed; anything less is said plainly.
WriteLoopEnding WriteRun::Ending() {
  if (terminated_) {
    AddFormatLog(program_, u"Operation terminated at offset " + OffsetAndLba());
    return WriteLoopEnding::Terminated;
  }
  if (program_.StopRequested) {
    AddFormatLog(program_, u"Operation cancelled at offset " + OffsetAndLba());
    return WriteLoopEnding::Cancelled;
  }
  const bool flushed = Flush();
  if (refused_) {
    AddFormatLog(program_, u"Low-level format did not complete: writing was refused at offset " + OffsetAndLba());
    return WriteLoopEnding::NotComplete;
  }
  if (failedBlocks_ > 0) {
    AddFormatLog(program_, NotWrittenLine());
    return WriteLoopEnding::NotComplete;
  }
  if (!flushed) {
    AddFormatLog(program_,
                 u"Low-level format did not complete: the drive could not confirm that the zeros "
                 u"reached the medium.");
    return WriteLoopEnding::NotComplete;
  }
  view_.SetProgressPosition(100);
  AddFormatLog(program_, u"Low-level format is complete.");
  return WriteLoopEnding::Complete;
}

bool WriteRun::Flush() {
  if (os_.FlushFileBuffers(program_.DeviceHandle)) return true;
  LogError(u"Flush error occurred:   " + CodeAndText(os_.GetLastError()));
  return false;
}

std::int64_t WriteRun::SectorOf(std::int64_t offset) const {
  if (sectorSize_ <= 0) return 0;  // an entry without a sector size has nothing to write
  return RoundHalfToEven(static_cast<double>(offset) / static_cast<double>(sectorSize_));
}

std::u16string WriteRun::OffsetAndLba() const {
  return IntToGroupedStr(position_) + u"    LBA " + IntToGroupedStr(SectorOf(position_));
}

std::u16string WriteRun::NotWrittenLine() const {
  return u"Low-level format did not complete: " + IntToGroupedStr(failedBlocks_) +
         (failedBlocks_ == 1 ? u" block (" : u" blocks (") + IntToGroupedStr(failedBytes_) +
         u" bytes) could not be written.";
}

}  // namespace

std::int64_t SeekDevice(Os& os, Handle handle, std::int64_t offset) {
  std::int64_t newPosition = 0;
  if (!os.SetFilePointerEx(handle, offset, &newPosition, FILE_BEGIN)) return -1;
  return newPosition;
}

WriteLoopResult FormatWriteLoop(Program& program, FormatPageView& view, bool quickWipe) {
  ZeroBuffer zeros(program.os);
  if (zeros.Data() == nullptr) {
    const std::u16string line = u"Not enough memory for the 33,554,432-byte write buffer; nothing was written.";
    AddFormatLog(program, line);
    program.StopRequested = false;
    WriteLoopResult result;
    result.errorLines.push_back(line);
    return result;
  }
  view.ProcessPendingMessages();
  WriteRun run(program, view, quickWipe);
  run.WriteAll(zeros.Data());
  zeros.GiveBack();
  return run.Finish();
}

}  // namespace orvella
