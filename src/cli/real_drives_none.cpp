// A build without a backend for the machine's drives: only simulated drives.
#include "cli/real_drives.h"

namespace orvella::cli {

std::unique_ptr<Os> OpenRealDrives() { return nullptr; }

std::optional<std::uint32_t> RealDriveNumberOfPath(Os&, const std::string&) { return std::nullopt; }

}  // namespace orvella::cli
