// The S.M.A.R.T. report: the chosen drive's attribute values as a
// fixed-width table in the S.M.A.R.T. pane.
#pragma once

#include <optional>
#include <vector>

#include "core/program.h"
#include "device/smart_access.h"

namespace orvella {

// The chosen drive's attribute entries as the report reads them, up to the
// first empty slot; nothing when the drive gives no attribute page.
std::optional<std::vector<SmartAttributeEntry>> ReadSmartAttributes(Program& program);

// Reads the attribute values page through DeviceHandle and appends the
// report. On an ATA-bus drive S.M.A.R.T. is switched on for the read and
// left as it was found: switched off again only when the drive said it was
// off before, left on when its state could not be learned. Returns whether
// the drive gave its attribute page (false: "not supported").
bool ShowSmartReport(Program& program);

}  // namespace orvella
