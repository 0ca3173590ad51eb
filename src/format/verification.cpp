#include "format/verification.h"

#include <algorithm>
#include <deque>

#include "core/text.h"
#include "device/drive_run.h"
#include "format/bad_sector_narrowing.h"
#include "format/run_texts.h"
#include "format/sample_plan.h"
#include "reports/text_forms.h"

namespace orvella {
namespace {

// Lines naming single mismatched ranges; beyond them the record holds the rest.
constexpr std::size_t kMismatchLinesShown = 100;

// Samples closer than this are read in one read, the gap read and passed
// over: on a hard disk a seek costs as long as reading hundreds of
// kilobytes, and a request more is never cheaper than this on any drive.
constexpr std::int64_t kSeekWorth = 256 * 1024;

// The pass over one request, from the first read to its last lines. What is
// checked (`ranges_`) is read in blocks of the reads that cover it
// (`reads_`), the next blocks queued at the reader before the oldest is
// taken, so that a drive able to hold several reads is never left idle.
class ReadBack {
 public:
  ReadBack(DriveRun& run, FormatPageView& view, void* buffer, const VerifyRequest& request)
      : run_(run),
        program_(run.program),
        view_(view),
        buffer_(buffer),
        sectorSize_(request.sectorSize),
        narrowing_(NowMs()) {
    outcome_.method = request.method;
    Plan(request);
  }

  VerificationOutcome Run();

 private:
  void Plan(const VerifyRequest& request);
  std::u16string PlanLine() const;
  void ReadAll(ZeroReader& reader);
  void QueueAhead(ZeroReader& reader);
  bool Account(const BlockRead& read);
  void CountRead(std::int64_t offset, const std::vector<Extent>& checked, const std::vector<ByteSpan>& nonZero);
  bool NarrowUnread(Extent block, std::uint32_t code);
  std::uint32_t ReadPiece(Extent piece);
  void ShowProgress(std::int64_t position);
  // A sample plan with subsections; a drive too small for one is read whole.
  bool Sampling() const { return outcome_.method == VerifyMethod::Sample && outcome_.subsections > 0; }
  void ShowSpeed();
  void LogError(const std::u16string& line);
  void LogMismatches();
  std::int64_t NowMs() { return program_.clock.MonotonicMilliseconds(); }

  DriveRun& run_;
  Program& program_;
  FormatPageView& view_;
  void* buffer_;
  const std::int64_t sectorSize_;
  std::vector<Extent> ranges_;  // what is checked
  std::vector<Extent> reads_;   // what is read: the ranges, near ones bridged
  std::size_t nextRead_ = 0;    // the read and offset the next block starts at
  std::int64_t nextOffset_ = 0;
  std::deque<Extent> queued_;   // blocks queued at the reader, oldest first
  std::int64_t block_ = kLargestBlock;
  std::int64_t done_ = 0;  // bytes handled, read or not
  std::int64_t startMs_ = 0;
  NarrowingBudget narrowing_;
  VerificationOutcome outcome_;
};

void ReadBack::Plan(const VerifyRequest& request) {
  if (request.method == VerifyMethod::Full) {
    ranges_ = request.written;
    reads_ = ranges_;
  } else {
    const SamplePlan plan = MakeSamplePlan(request.driveBytes, request.sectorSize, request.seed);
    outcome_.seed = plan.seed;
    outcome_.subsections = plan.subsections;
    outcome_.sampleSectors = plan.sampleSectors;
    outcome_.samples = plan.samples;
    ranges_ = Intersection(plan.ranges, request.written);
    // Only written bytes are read: a sector that refused the write may
    // refuse the read too, and fail the samples beside it.
    reads_ = Intersection(Bridged(plan.ranges, kSeekWorth), request.written);
  }
  if (!reads_.empty()) nextOffset_ = reads_.front().from;
  outcome_.bytesPlanned = BytesIn(ranges_);
}

std::u16string ReadBack::PlanLine() const {
  if (outcome_.method == VerifyMethod::Full || outcome_.subsections == 0)
    return u"Reading back every written byte: " + IntToGroupedStr(outcome_.bytesPlanned) + u" bytes";
  return u"Reading back the NIST SP 800-88 sample: " + IntToGroupedStr(outcome_.samples) + u" samples in " +
         IntToGroupedStr(outcome_.subsections) + u" subsections, " + IntToGroupedStr(outcome_.sampleSectors) +
         (outcome_.sampleSectors == 1 ? u" sector" : u" sectors") + u" each, seed " + UIntToStr(outcome_.seed) + u"; " + IntToGroupedStr(outcome_.bytesPlanned) +
         u" bytes of what was written";
}

VerificationOutcome ReadBack::Run() {
  AddFormatLog(run_, u"Verifying... ");
  AddFormatLog(run_, PlanLine());
  if (outcome_.bytesPlanned == 0) {
    // Nothing was written where the read-back looks: a check of no bytes
    // proves nothing, so it is recorded as not run, never as passed.
    AddFormatLog(run_, u"Nothing was read back: no written byte lies where the read-back looks.");
    return outcome_;
  }
  startMs_ = NowMs();
  const auto sector = static_cast<std::uint32_t>(std::max<std::int64_t>(sectorSize_, 0));
  ReadAll(*program_.os.StartZeroReader(run_.DeviceHandle, buffer_, sector));
  AddFormatLog(run_, u"Average verification speed: " + view_.Caption(FormatLabel::Speed));
  if (outcome_.result == VerifyResult::NotRun) {
    LogMismatches();
    if (!outcome_.mismatches.empty()) outcome_.result = VerifyResult::Mismatch;
    else if (!outcome_.unread.empty()) outcome_.result = VerifyResult::Unreadable;
    else outcome_.result = VerifyResult::Passed;
  }
  if (outcome_.result == VerifyResult::Passed)
    AddFormatLog(run_, u"Verification passed: " + IntToGroupedStr(outcome_.bytesRead) +
                               u" bytes read back, all of them zero.");
  return outcome_;
}

// Takes the blocks in drive order until all are read, a stop, or the drive
// gone; the block size follows the time between blocks, as the writes' does.
void ReadBack::ReadAll(ZeroReader& reader) {
  QueueAhead(reader);
  std::int64_t lastMs = startMs_;
  while (!queued_.empty()) {
    const Extent block = queued_.front();
    if (run_.StopRequested) {
      outcome_.result = VerifyResult::Cancelled;
      AddFormatLog(run_, u"Verification cancelled at offset " + OffsetAndLba(block.from, sectorSize_));
      return;
    }
    const BlockRead read = reader.Take();
    queued_.pop_front();
    if (!Account(read)) {
      LogError(u"Device was unplugged, aborting...");
      AddFormatLog(run_, u"Verification terminated at offset " + OffsetAndLba(block.from, sectorSize_));
      outcome_.result = VerifyResult::DriveGone;
      return;
    }
    ShowProgress(block.to);
    view_.ProcessPendingMessages();
    ShowSpeed();
    const std::int64_t nowMs = NowMs();
    block_ = BlockAfterPass(block_, nowMs - lastMs);
    lastMs = nowMs;
    QueueAhead(reader);
  }
}

void ReadBack::QueueAhead(ZeroReader& reader) {
  while (queued_.size() < reader.BlocksAhead() && nextRead_ < reads_.size()) {
    const std::int64_t end = std::min(nextOffset_ + block_, reads_[nextRead_].to);
    reader.Queue(nextOffset_, static_cast<std::uint32_t>(end - nextOffset_));
    queued_.push_back({nextOffset_, end});
    nextOffset_ = end;
    if (end == reads_[nextRead_].to && ++nextRead_ < reads_.size()) nextOffset_ = reads_[nextRead_].from;
  }
}

// Counts a block's checked bytes as read, mismatched or unread. False only
// when the drive is gone; other failures are logged and kept.
bool ReadBack::Account(const BlockRead& read) {
  const std::vector<Extent> checked = Within(ranges_, {read.offset, read.offset + read.length});
  done_ += BytesIn(checked);
  if (!read.positioned) {
    LogError(u"Seek error occurred at offset " + IntToGroupedStr(read.offset));
    for (const Extent& e : checked) AddMerged(outcome_.unread, e);
    return true;
  }
  if (read.read) {
    CountRead(read.offset, checked, read.nonZero);
    return true;
  }
  LogError(u"Verify Error occurred at offset " + IntToGroupedStr(read.offset) + u":   " + CodeAndText(read.error));
  if (MeansUnplugged(read.error)) return false;
  return NarrowUnread({read.offset, read.offset + read.length}, read.error);
}

// The checked bytes of a read that went through: read, and where not zero
// (`nonZero`, offsets from `offset`), mismatched.
void ReadBack::CountRead(std::int64_t offset, const std::vector<Extent>& checked,
                         const std::vector<ByteSpan>& nonZero) {
  outcome_.bytesRead += BytesIn(checked);
  for (const ByteSpan& span : nonZero)
    for (const Extent& e : Within(checked, {offset + span.from, offset + span.to})) AddMerged(outcome_.mismatches, e);
}

// A block whose read failed is read again in halves down to the sectors
// that refuse, so that one bad sector does not leave a whole block unread;
// what reads is checked like any block. False when the drive went away.
bool ReadBack::NarrowUnread(Extent block, std::uint32_t code) {
  const bool budgetSpentBefore = narrowing_.spent;
  const PieceAttempt read = [this](Extent piece) { return ReadPiece(piece); };
  const NarrowedBlock narrowed = NarrowFailedPieces(read, sectorSize_, program_.clock, block, code, narrowing_);
  for (const FailedRange& range : narrowed.failed)
    for (const Extent& e : Within(ranges_, range.extent)) AddMerged(outcome_.unread, e);
  if (narrowed.driveGone) return false;
  if (narrowed.cutShort && !budgetSpentBefore)
    LogError(u"Retries of the read at offset " + IntToGroupedStr(block.from) +
             (narrowing_.spent ? u" ran out of time; from here on, a failed read is counted whole."
                               : u" reached their limit; the rest of the block is counted as not read."));
  return true;
}

// 0 when the piece was read (and counted), else the error code.
std::uint32_t ReadBack::ReadPiece(Extent piece) {
  Os& os = program_.os;
  std::int64_t position = -1;
  if (!os.SetFilePointerEx(run_.DeviceHandle, piece.from, &position, FILE_BEGIN) || position != piece.from)
    return ERROR_SEEK;
  std::vector<ByteSpan> nonZero;
  const auto length = static_cast<std::uint32_t>(piece.to - piece.from);
  const auto sector = static_cast<std::uint32_t>(sectorSize_);
  if (!os.ReadZeros(run_.DeviceHandle, buffer_, length, sector, &nonZero)) {
    const std::uint32_t code = os.GetLastError();
    return code == 0 ? ERROR_IO_DEVICE : code;
  }
  CountRead(piece.from, Within(ranges_, piece), nonZero);
  return 0;
}

void ReadBack::ShowProgress(std::int64_t position) {
  const std::int64_t total = std::max<std::int64_t>(outcome_.bytesPlanned, 1);
  const std::int64_t percent = RoundHalfToEven(static_cast<double>(done_) / static_cast<double>(total) * 100.0);
  const bool sample = Sampling();
  view_.SetProgressPosition(static_cast<int>(percent));
  // A sample read back whole is not the drive read back whole: the caption
  // says which of the two the percentage counts.
  view_.SetCaption(FormatLabel::CurrentPercent,
                   IntToStr(percent) + (sample ? u"% of the sample read back" : u"% read back"));
  view_.SetCaption(FormatLabel::CurrentPosition,
                   u"Current sector: " + IntToGroupedStr(SectorOf(position, sectorSize_)));
  // The read-back always follows the writes: the second of two passes.
  view_.ShowPassProgress({RunPass::ReadingBack, sample, 2, 2, done_, outcome_.bytesPlanned, 0});
}

void ReadBack::ShowSpeed() {
  const std::int64_t elapsed = NowMs() - startMs_;
  if (elapsed > 0)
    view_.SetCaption(FormatLabel::Speed, SpeedText(outcome_.bytesRead, elapsed, program_.locale.DecimalSeparator()));
}

void ReadBack::LogError(const std::u16string& line) {
  AddFormatLog(run_, line);
  outcome_.errorLines.push_back(line);
}

void ReadBack::LogMismatches() {
  const std::size_t shown = std::min(outcome_.mismatches.size(), kMismatchLinesShown);
  for (std::size_t i = 0; i < shown; ++i) {
    const Extent& e = outcome_.mismatches[i];
    LogError(u"Verification found data at offset " + OffsetAndLba(e.from, sectorSize_) + u": " +
             SectorsAndBytes(e.to - e.from, sectorSize_) + u" not zero");
  }
  if (outcome_.mismatches.size() > shown)
    LogError(u"Verification found data in " + IntToGroupedStr(static_cast<std::int64_t>(outcome_.mismatches.size() - shown)) +
             u" more ranges; the erase record lists them all");
}

}  // namespace

std::int64_t BytesToReadBack(const VerifyRequest& request) {
  switch (request.method) {
    case VerifyMethod::Off: return 0;
    case VerifyMethod::Full: return BytesIn(request.written);
    case VerifyMethod::Sample: break;
  }
  const SamplePlan plan = MakeSamplePlan(request.driveBytes, request.sectorSize, request.seed);
  return BytesIn(Intersection(plan.ranges, request.written));
}

VerifyMethod DefaultVerifyMethod(bool quickWipe) { return quickWipe ? VerifyMethod::Full : VerifyMethod::Sample; }

const char* VerifyMethodName(VerifyMethod method) {
  switch (method) {
    case VerifyMethod::Off: return "off";
    case VerifyMethod::Full: return "full";
    case VerifyMethod::Sample: return "sample";
  }
  return "off";
}

std::optional<VerifyMethod> VerifyMethodNamed(std::string_view name) {
  for (const VerifyMethod method : {VerifyMethod::Off, VerifyMethod::Full, VerifyMethod::Sample})
    if (name == VerifyMethodName(method)) return method;
  return std::nullopt;
}

const char* VerifyResultName(VerifyResult result) {
  switch (result) {
    case VerifyResult::NotRun: return "not-run";
    case VerifyResult::Passed: return "passed";
    case VerifyResult::Mismatch: return "mismatch";
    case VerifyResult::Unreadable: return "unreadable";
    case VerifyResult::Cancelled: return "cancelled";
    case VerifyResult::DriveGone: return "drive-gone";
  }
  return "not-run";
}

VerificationOutcome VerifyZeros(DriveRun& run, FormatPageView& view, void* buffer, const VerifyRequest& request) {
  if (request.method == VerifyMethod::Off) return {};
  return ReadBack(run, view, buffer, request).Run();
}

}  // namespace orvella
