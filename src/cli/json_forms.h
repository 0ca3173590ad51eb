// The machine-readable answers of --json: catalogue entries, the IDENTIFY
// passport and the S.M.A.R.T. attribute rows, with the same values the
// text forms show.
#pragma once

#include <vector>

#include "core/program.h"
#include "device/nvme_health_log.h"
#include "record/drive_json.h"
#include "record/record_json.h"
#include "reports/device_details_report.h"
#include "reports/smart_report.h"

namespace orvella::cli {

// {"drives": [...], "count": N}
Json CatalogueJson(Program& program);
// {"identified": ..., "outcome": ..., "passport": {...} or null,
//  "hiddenAreas": {...} or null}
Json IdentificationJson(const DeviceIdentification& identification);
Json AttributeJson(const SmartAttributeRow& row);
// {"verdict": ..., "thresholdsRead": ...}
Json SmartHealthJson(const SmartReading& reading);
// Every field of the log; the 16-byte counters as numbers, or as decimal
// texts when they pass 64 bits.
Json NvmeHealthJson(const NvmeHealthLog& log);

}  // namespace orvella::cli
