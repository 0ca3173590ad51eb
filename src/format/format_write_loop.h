// The erase itself: zeros written over the selected drive through
// DeviceHandle, block after block, with live progress and speed on the
// "LOW-LEVEL FORMAT" page and every failure in the format log; then the
// flush, and the read-back that shows the drive holds zeros.
//
// The block starts at 64 KiB and doubles, up to 32 MiB, whenever ten passes
// took less than a second (checked on every tenth pass, the first check only
// taking the time); it halves when a pass took more than two seconds. The
// loop times itself with the monotonic clock. A quick wipe writes the first
// and the last 10,240,000 bytes (the partition tables at both ends), or the
// whole drive when it is no larger than twice that. A block whose write
// fails is narrowed to the sectors that refuse (bad_sector_narrowing.h). A
// run ends at the end of what it has to write, after the pass in progress
// when StopRequested is set, at the first block a write-protected drive
// refuses, or at once when the drive is gone (error 2 or 55) or another
// program has taken it (error 5 or 32: the run is not complete, and says
// where it stopped).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "format/erase_choices.h"
#include "format/extent.h"
#include "format/format_page_view.h"
#include "format/verification.h"
#include "platform/os.h"

namespace orvella {

class DriveRun;

inline constexpr std::int64_t kQuickWipeExtent = 10'240'000;

// How a run ended, for the procedure around it.
enum class WriteLoopEnding {
  Complete,        // written, flushed and read back as asked: "Low-level format is complete."
  NotComplete,     // sectors failed, the flush did, writing was refused, or the read-back found data
  WriteProtected,  // the drive refused the first write as write protected; the run stopped there
  Cancelled,       // stopped by StopRequested
  Terminated,      // the drive went away
  NoBuffer,        // the write buffer could not be had; nothing was written
};

// What a run did, for the procedure and for front ends that keep a record.
struct WriteLoopResult {
  WriteLoopEnding ending = WriteLoopEnding::NoBuffer;
  bool quickWipe = false;
  bool wholeDrive = false;         // what the mode writes is the whole drive
  std::int64_t bytesToWrite = 0;   // what the mode writes
  // The ranges the run went over, in the order it wrote them, the last one
  // ending where the run stopped.
  std::vector<Extent> covered;
  // The sectors among them that were not written (seek or write failed),
  // adjacent ones merged; a block that ended the run is not among them.
  std::vector<Extent> failed;
  std::int64_t failedBlocks = 0;
  bool flushed = false;  // the drive confirmed the writes reached the medium
  VerificationOutcome verification;
  // Every failure line the run logged, without its stamp, in order.
  std::vector<std::u16string> errorLines;
};

// Moves the handle's position to `offset`; the new position, or -1 when the
// system refuses.
std::int64_t SeekDevice(Os& os, Handle handle, std::int64_t offset);

// One run over the run's DeviceHandle on its drive, whose volumes the caller
// has locked and whose other controls it has disabled. The run's
// StopRequested is false when it returns.
WriteLoopResult FormatWriteLoop(DriveRun& run, FormatPageView& view, const EraseChoices& choices);

}  // namespace orvella
