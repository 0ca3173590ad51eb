// The S.M.A.R.T. report: the chosen drive's attribute values as a
// fixed-width table in the S.M.A.R.T. pane.
#pragma once

#include "core/program.h"

namespace orvella {

// Reads the attribute values page through DeviceHandle and appends the
// report. On an ATA-bus drive S.M.A.R.T. is switched on for the read and
// left as it was found: switched off again only when the drive said it was
// off before, left on when its state could not be learned.
void ShowSmartReport(Program& program);

}  // namespace orvella
