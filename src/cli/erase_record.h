// The record of one erase, as --json prints it and --report keeps it: what
// an asset manager files as proof. The drive's identity (as the catalogue
// and, where it answers, IDENTIFY give it), the mode, when the run started
// and ended, the file systems that were unmounted, what was written, every failure line, the whole format log of
// the run, and the result with its exit code.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "cli/exit_codes.h"
#include "cli/json_forms.h"
#include "core/program.h"
#include "format/format_procedure.h"
#include "reports/device_details_report.h"

namespace orvella::cli {

// The exit code of an erase's ending.
ExitCode EraseExitCode(const FormatRun& run);

// What the run wrote: the extents it covered less the blocks that failed.
std::vector<Extent> WrittenExtents(const WriteLoopResult& loop);

// "2024-05-01T14:03:27+02:00": local time with its offset from UTC.
std::string IsoLocalTime(std::chrono::system_clock::time_point time);

struct EraseFacts {
  bool quick = false;
  DeviceIdentification identification;
  std::chrono::system_clock::time_point start;
  std::chrono::system_clock::time_point end;
  FormatRun run;
  std::vector<std::u16string> log;  // the format log lines of the run, stamped
};

// The record of the erase of the chosen drive.
Json EraseRecord(Program& program, const EraseFacts& facts);

}  // namespace orvella::cli
