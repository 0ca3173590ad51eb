// The erase itself: zeros written over the selected drive through
// DeviceHandle, block after block, with live progress and speed on the
// "LOW-LEVEL FORMAT" page and every failure in the format log.
//
// The block starts at 64 KiB and doubles, up to 32 MiB, whenever ten passes
// took less than a second (checked on every tenth pass, the first check only
// taking the time). A quick wipe writes the first and the last 10,240,000
// bytes (the partition tables at both ends), or the whole drive when it is
// no larger than twice that. A run ends at the end of what it has to write,
// after the pass in progress when StopRequested is set, or at once when the
// drive is gone (error 2 or 55) or another program has taken it (error 5 or
// 32: the run is not complete, and says where it stopped).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "format/format_page_view.h"
#include "platform/os.h"

namespace orvella {

struct Program;

// How a run ended, for the procedure around it.
enum class WriteLoopEnding {
  Complete,     // everything written and flushed: "Low-level format is complete."
  NotComplete,  // blocks failed, the flush did, or writing was refused: reported as not complete
  Cancelled,    // stopped by StopRequested
  Terminated,   // the drive went away
  NoBuffer,     // the write buffer could not be had; nothing was written
};

// A half-open byte range [from, to) of the drive.
struct Extent {
  std::int64_t from = 0;
  std::int64_t to = 0;
  bool operator==(const Extent&) const = default;
};

// What a run did, for the procedure and for front ends that keep a record.
struct WriteLoopResult {
  WriteLoopEnding ending = WriteLoopEnding::NoBuffer;
  // The ranges the run went over, in the order it wrote them, the last one
  // ending where the run stopped.
  std::vector<Extent> covered;
  // The blocks among them that were not written (seek or write failed),
  // adjacent ones merged; a block that ended the run is not among them.
  std::vector<Extent> failed;
  std::int64_t failedBlocks = 0;
  // Every failure line the run logged, without its stamp, in order.
  std::vector<std::u16string> errorLines;
};

// Moves the handle's position to `offset`; the new position, or -1 when the
// system refuses.
std::int64_t SeekDevice(Os& os, Handle handle, std::int64_t offset);

// One run over DeviceHandle on the drive DeviceTables[SelectedDevice], whose
// volumes the caller has locked and whose other controls it has disabled.
// StopRequested is false when it returns.
WriteLoopResult FormatWriteLoop(Program& program, FormatPageView& view, bool quickWipe);

}  // namespace orvella
