// The record of one erase: what an asset manager files as proof, and the
// one source of what the CLI prints, the desktop saves and the certificate
// shows. It names the medium (manufacturer, model, serial, type, capacity,
// sector size), the method, the verification, the tool, the machine and the
// people, when the run started and ended with their time zone, what was
// written, every failure line, the whole format log of the run, and the
// result; it ends with the digest that seals it (record_digest.h).
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/program.h"
#include "format/format_procedure.h"
#include "record/record_json.h"
#include "reports/device_details_report.h"

namespace orvella {

inline constexpr char kClearMethod[] = "Clear: overwrite with zeros, 1 pass";
inline constexpr char kQuickWipeMethod[] = "quick wipe (not a sanitization)";
inline constexpr char kNotPerformed[] = "not performed";

// What the read-back after the writes found.
struct VerificationFacts {
  std::string method;                 // "full" or "sample"
  std::string plan;                   // which bytes were read back
  std::optional<std::uint64_t> seed;  // of a sample plan, so it can be repeated
  std::int64_t bytesRead = 0;
  std::vector<Extent> mismatches;     // ranges that did not read back as zeros
  std::string result;                 // "passed", "failed", ...
};

struct EraseFacts {
  bool quick = false;
  DeviceIdentification identification;  // taken before the run
  std::chrono::system_clock::time_point start;
  std::chrono::system_clock::time_point end;
  FormatRun run;
  std::vector<std::u16string> log;  // the format log lines of the run, stamped
  std::optional<VerificationFacts> verification;  // none: not performed
  std::string frontEnd;        // the executable that ran the erase
  std::string operatorName;    // who ran it; empty when not given
  std::string assetTag;        // the organisation's tag of the medium
  std::optional<int> exitCode;  // where the front end ends with one
};

// The name of the run's ending: "complete", "not-complete", "cancelled",
// "drive-gone", "no-write-buffer", "lock-refused", "not-confirmed".
const char* EraseResultName(const FormatRun& run);

// What the run wrote: the extents it covered less the blocks that failed.
std::vector<Extent> WrittenExtents(const WriteLoopResult& loop);

// The sealed record of the erase of the chosen drive.
Json EraseRecord(Program& program, const EraseFacts& facts);

}  // namespace orvella
