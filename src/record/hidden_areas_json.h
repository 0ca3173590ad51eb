// The hidden areas a drive reported (Host Protected Area, Device
// Configuration Overlay) as JSON, as `details --json` and the erase record
// give them.
#pragma once

#include "device/hidden_areas.h"
#include "record/record_json.h"

namespace orvella {

Json HiddenAreasJson(const HiddenAreas& areas);

}  // namespace orvella
