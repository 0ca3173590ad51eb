// A build without a backend for the machine's drives: only simulated drives.
#include "cli/real_drives.h"

namespace orvella::cli {

std::optional<RealDrives> OpenRealDrives() { return std::nullopt; }

}  // namespace orvella::cli
