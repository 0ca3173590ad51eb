// The S.M.A.R.T. report: the chosen drive's attribute values as a
// fixed-width table in the S.M.A.R.T. pane, followed by the drive's health:
// its own verdict and every attribute at or below its threshold. An NVMe
// drive shows its SMART / Health Information log instead.
#pragma once

#include <optional>
#include <vector>

#include "device/drive_run.h"
#include "device/smart_access.h"
#include "device/smart_health.h"

namespace orvella {

struct SmartAttributeRow {
  SmartAttributeEntry entry;
  std::optional<std::uint8_t> threshold;  // none when the thresholds page gave none
  AttributeStatus status = AttributeStatus::NoThreshold;
};

struct SmartReading {
  std::vector<SmartAttributeRow> rows;  // every used slot of the page, in page order
  bool thresholdsRead = false;
  SmartVerdict verdict = SmartVerdict::Unknown;
};

// The chosen drive's attributes with their thresholds, and its verdict;
// nothing when the drive gives no attribute page. Empty slots between
// attributes are passed over.
std::optional<SmartReading> ReadSmartAttributes(DriveRun& run);

// Reads the drive through DeviceHandle and appends the report. On an
// ATA-bus drive S.M.A.R.T. is switched on for the reads and left as it was
// found: switched off again only when the drive said it was off before, left
// on when its state could not be learned. Returns whether the drive gave its
// attribute page or health log (false: "not supported").
bool ShowSmartReport(DriveRun& run);

}  // namespace orvella
