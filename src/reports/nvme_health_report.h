// The S.M.A.R.T. report of an NVMe drive: its SMART / Health Information
// log as a table of named values, with the verdict its critical warning
// gives.
#pragma once

#include <optional>

#include "device/drive_run.h"
#include "device/nvme_health_log.h"

namespace orvella {

// The chosen drive's health log; nothing when the drive gives none.
std::optional<NvmeHealthLog> ReadNvmeHealth(DriveRun& run);

// The names of the critical warning bits set in `warning`, lowest bit first.
std::vector<std::u16string> CriticalWarningNames(std::uint8_t warning);

// Appends the log's table (after the report header), or the not-supported
// line. Returns whether the drive gave its log.
bool ShowNvmeHealthReport(DriveRun& run);

}  // namespace orvella
