// A catalogue entry as JSON: the drive's number, the names the system gives
// it and its title with the selection window's cells, its size, its state
// and whether it may be chosen. The CLI's
// answers and the erase record show a drive the same way.
#pragma once

#include "core/program.h"
#include "record/record_json.h"

namespace orvella {

// Catalogue entry `index` (1 to DeviceCount).
Json DriveJson(Program& program, int index);

}  // namespace orvella
