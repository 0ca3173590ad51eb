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
// drive is gone (error 2 or 55).
#pragma once

#include <cstdint>

#include "format/format_page_view.h"
#include "platform/os.h"

namespace orvella {

struct Program;

// How a run ended, for the procedure around it.
enum class WriteLoopEnding {
  Complete,     // everything written and flushed: "Low-level format is complete."
  NotComplete,  // blocks failed, or the flush did: reported as not complete
  Cancelled,    // stopped by StopRequested
  Terminated,   // the drive went away
  NoBuffer,     // the write buffer could not be had; nothing was written
};

// Moves the handle's position to `offset`; the new position, or -1 when the
// system refuses.
std::int64_t SeekDevice(Os& os, Handle handle, std::int64_t offset);

// One run over DeviceHandle on the drive DeviceTables[SelectedDevice], whose
// volumes the caller has locked and whose other controls it has disabled.
// StopRequested is false when it returns.
WriteLoopEnding FormatWriteLoop(Program& program, FormatPageView& view, bool quickWipe);

}  // namespace orvella
