// The read-back after an erase: the drive, once written and flushed, is read
// again and must hold zeros wherever the run wrote. `Full` reads every
// written byte, `Sample` the NIST SP 800-88 sample (sample_plan.h) within
// what was written, `Off` nothing. The pass has its own progress, speed and
// Stop, and meets read errors as the write pass meets write errors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "format/extent.h"
#include "format/format_page_view.h"
#include "format/verify_method.h"

namespace orvella {

class DriveRun;

enum class VerifyResult {
  NotRun,      // off, or the run ended before it could read back
  Passed,      // everything read came back as zeros
  Mismatch,    // some of it did not: the drive lost writes
  Unreadable,  // some of it could not be read (and no mismatch was found)
  Cancelled,   // stopped by StopRequested
  DriveGone,   // the drive went away while it was read
};
const char* VerifyResultName(VerifyResult result);

struct VerificationOutcome {
  VerifyMethod method = VerifyMethod::Off;
  VerifyResult result = VerifyResult::NotRun;
  // The sample plan (Sample only): its seed, subsections and sample size.
  std::uint64_t seed = 0;
  std::int64_t subsections = 0;
  std::int64_t sampleSectors = 0;
  std::int64_t samples = 0;
  std::int64_t bytesPlanned = 0;  // what the pass set out to read
  std::int64_t bytesRead = 0;
  std::vector<Extent> mismatches;  // sectors that read back other than zero, merged
  std::vector<Extent> unread;      // ranges whose seek or read failed, merged
  std::vector<std::u16string> errorLines;
};

struct VerifyRequest {
  VerifyMethod method = VerifyMethod::Off;
  std::uint64_t seed = 0;         // for Sample
  std::int64_t driveBytes = 0;    // the sample is planned over the whole drive
  std::int64_t sectorSize = 0;
  std::vector<Extent> written;    // what the run wrote, ascending
};

// The bytes a read-back of `request` will read: every written byte, or the
// sample's sectors among them.
std::int64_t BytesToReadBack(const VerifyRequest& request);

// Reads back, through the run's DeviceHandle, what `request` asks; `buffer` is a
// page-aligned buffer of kLargestBlock bytes, or nullptr where the system
// reads zeros back without one (Os::ZeroTransfersNeedBuffers). Logs its
// lines (without the run's ending) to the run's format log.
VerificationOutcome VerifyZeros(DriveRun& run, FormatPageView& view, void* buffer, const VerifyRequest& request);

}  // namespace orvella
