// The machine-readable answers of --json: catalogue entries, the IDENTIFY
// passport and the S.M.A.R.T. attribute rows, with the same values the
// text forms show.
#pragma once

#include <nlohmann/json.hpp>

#include <vector>

#include "core/program.h"
#include "device/smart_access.h"
#include "reports/device_details_report.h"

namespace orvella::cli {

// Keys in the order they are given, so that the answers read well.
using Json = nlohmann::ordered_json;

// "removable, read-only, mounted" as far as each holds; "-" when none does.
std::string DriveStateText(const DriveNames& names, bool removable);

// Catalogue entry `index` (1 to DeviceCount) with the list's cells and the
// names the system gives the drive.
Json DriveJson(Program& program, int index);
// {"drives": [...], "count": N}
Json CatalogueJson(Program& program);
// {"identified": ..., "outcome": ..., "passport": {...} or null}
Json IdentificationJson(const DeviceIdentification& identification);
Json AttributeJson(const SmartAttributeEntry& entry);

}  // namespace orvella::cli
