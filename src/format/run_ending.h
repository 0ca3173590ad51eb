// How a run of the format procedure ended, in plain words for the dialog
// that closes it: what the drive now holds, and what is left when anything
// failed. The format log keeps the details (offsets, LBAs, error codes).
#pragma once

#include <string>

#include "format/format_procedure.h"

namespace orvella {

struct RunEnding {
  bool erased = false;  // the whole drive was written and read back without a finding
  std::u16string headline;
  std::u16string details;
  // What happened, in a few words, for the dialog's title bar.
  std::u16string title;
  // The run failed (as opposed to ending short by choice, or by design as
  // a quick wipe): the dialog shows the error icon.
  bool failed = false;
};

RunEnding DescribeEnding(const FormatRun& run, std::int64_t sectorSize);

}  // namespace orvella
