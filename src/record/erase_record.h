// The record of one erase: what an asset manager files as proof, and the
// one source of what the CLI prints, the desktop saves and the certificate
// shows. It names the medium (manufacturer, model, serial, type, capacity,
// sector size) and the areas it keeps hidden, the method, the read-back, the
// tool, the machine and the people, when the run started and ended with
// their time zone, what was unmounted, written and not written, every
// failure line, the whole format log of the run, and the result; it ends
// with the digest that seals it (record_digest.h).
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/drive_run.h"
#include "format/format_procedure.h"
#include "record/record_json.h"

namespace orvella {

inline constexpr char kClearMethod[] = "Clear: overwrite with zeros, 1 pass";
inline constexpr char kQuickWipeMethod[] = "quick wipe (not a sanitization)";

// A run's facts and where it ran.
struct EraseFacts {
  FormatRun run;
  std::string frontEnd;         // the executable that ran the erase
  std::optional<int> exitCode;  // where the front end ends with one
};

// The name of the run's ending: "complete", "quick-wipe-complete", "not-complete",
// "write-protected", "cancelled", "drive-gone", "no-write-buffer",
// "lock-refused", "not-confirmed".
const char* EraseResultName(const FormatRun& run);

// Whether the drive told of sectors behind a Host Protected Area or a Device
// Configuration Overlay, which no write of the run can reach.
bool KeepsSectorsHidden(const FormatRun& run);

// Whether the run erased the drive and checked it: it ended complete, what
// it wrote was the whole drive, its read-back (every byte, or the sample)
// found only zeros, and the drive hides no sectors. A quick wipe, a run
// whose read-back was off or found data, or one that left hidden sectors or
// a tail behind is no erase, however it ended.
bool ErasedAndReadBack(const FormatRun& run);

// Whether the run proves the erase: erased and read back in full. A sample
// that held zeros cannot see a sector that silently kept its data.
bool ErasureProven(const FormatRun& run);

// How the erase was checked: "full" (every written byte read back),
// "sample" (the NIST sample), "none" (no read-back ran).
const char* VerifiedName(const FormatRun& run);

// What the run wrote: the extents it covered less the blocks that failed.
std::vector<Extent> WrittenExtents(const WriteLoopResult& loop);

// The sealed record of the erase of the run's drive: the one builder of
// every front end's record.
Json EraseRecord(DriveRun& run, const EraseFacts& facts);

}  // namespace orvella
