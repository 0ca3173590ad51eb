#include "format/verification.h"

#include <algorithm>

#include "device/drive_run.h"
#include "core/text.h"
#include "format/run_texts.h"
#include "format/sample_plan.h"
#include "reports/text_forms.h"

namespace orvella {
namespace {

// Lines naming single mismatched ranges; beyond them the record holds the rest.
constexpr std::size_t kMismatchLinesShown = 100;

// The pass over one request, from the first read to its last lines.
class ReadBack {
 public:
  ReadBack(DriveRun& run, FormatPageView& view, void* buffer, const VerifyRequest& request)
      : run_(run), program_(run.program), view_(view), buffer_(buffer), sectorSize_(request.sectorSize) {
    outcome_.method = request.method;
    Plan(request);
  }

  VerificationOutcome Run();

 private:
  void Plan(const VerifyRequest& request);
  std::u16string PlanLine() const;
  bool ReadRange(const Extent& range);
  bool ReadBlock(std::int64_t offset, std::int64_t length);
  void ShowProgress(std::int64_t position);
  void ShowSpeed();
  void LogError(const std::u16string& line);
  void LogMismatches();
  std::int64_t NowMs() { return program_.clock.MonotonicMilliseconds(); }

  DriveRun& run_;
  Program& program_;
  FormatPageView& view_;
  void* buffer_;
  std::vector<ByteSpan> nonZero_;
  const std::int64_t sectorSize_;
  std::vector<Extent> ranges_;
  std::int64_t block_ = kLargestBlock;
  std::int64_t done_ = 0;  // bytes handled, read or not
  std::int64_t startMs_ = 0;
  VerificationOutcome outcome_;
};

void ReadBack::Plan(const VerifyRequest& request) {
  if (request.method == VerifyMethod::Full) {
    ranges_ = request.written;
  } else {
    const SamplePlan plan = MakeSamplePlan(request.driveBytes, request.sectorSize, request.seed);
    outcome_.seed = plan.seed;
    outcome_.subsections = plan.subsections;
    outcome_.sampleSectors = plan.sampleSectors;
    outcome_.samples = plan.samples;
    ranges_ = Intersection(plan.ranges, request.written);
  }
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
  startMs_ = NowMs();
  for (const Extent& range : ranges_)
    if (!ReadRange(range)) break;
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

// False when the pass must end: a stop, or the drive gone.
bool ReadBack::ReadRange(const Extent& range) {
  for (std::int64_t offset = range.from; offset < range.to;) {
    if (run_.StopRequested) {
      outcome_.result = VerifyResult::Cancelled;
      AddFormatLog(run_, u"Verification cancelled at offset " + OffsetAndLba(offset, sectorSize_));
      return false;
    }
    const std::int64_t length = std::min(block_, range.to - offset);
    const std::int64_t passStart = NowMs();
    if (!ReadBlock(offset, length)) {
      LogError(u"Device was unplugged, aborting...");
      AddFormatLog(run_, u"Verification terminated at offset " + OffsetAndLba(offset, sectorSize_));
      outcome_.result = VerifyResult::DriveGone;
      return false;
    }
    offset += length;
    done_ += length;
    ShowProgress(offset);
    view_.ProcessPendingMessages();
    ShowSpeed();
    block_ = BlockAfterPass(block_, NowMs() - passStart);
  }
  return true;
}

// False only when the drive is gone; other failures are logged and kept.
bool ReadBack::ReadBlock(std::int64_t offset, std::int64_t length) {
  std::int64_t position = -1;
  if (!program_.os.SetFilePointerEx(run_.DeviceHandle, offset, &position, FILE_BEGIN) || position != offset) {
    LogError(u"Seek error occurred at offset " + IntToGroupedStr(offset));
    AddMerged(outcome_.unread, {offset, offset + length});
    return true;
  }
  const auto wanted = static_cast<std::uint32_t>(length);
  const auto sector = static_cast<std::uint32_t>(std::max<std::int64_t>(sectorSize_, 0));
  if (program_.os.ReadZeros(run_.DeviceHandle, buffer_, wanted, sector, &nonZero_)) {
    outcome_.bytesRead += length;
    for (const ByteSpan& span : nonZero_) AddMerged(outcome_.mismatches, {offset + span.from, offset + span.to});
    return true;
  }
  const std::uint32_t code = program_.os.GetLastError();
  LogError(u"Verify Error occurred at offset " + IntToGroupedStr(offset) + u":   " + CodeAndText(code));
  if (MeansUnplugged(code)) return false;
  AddMerged(outcome_.unread, {offset, offset + length});
  return true;
}

void ReadBack::ShowProgress(std::int64_t position) {
  const std::int64_t total = std::max<std::int64_t>(outcome_.bytesPlanned, 1);
  const std::int64_t percent = RoundHalfToEven(static_cast<double>(done_) / static_cast<double>(total) * 100.0);
  view_.SetProgressPosition(static_cast<int>(percent));
  view_.SetCaption(FormatLabel::CurrentPercent, IntToStr(percent) + u"% verified");
  view_.SetCaption(FormatLabel::CurrentPosition,
                   u"Current sector: " + IntToGroupedStr(SectorOf(position, sectorSize_)));
  view_.ShowBytesDone(done_, outcome_.bytesPlanned);
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
