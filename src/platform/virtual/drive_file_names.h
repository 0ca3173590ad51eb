// The names a drive description may use instead of numbers: the Windows
// error codes, the control codes a drive answers, and the bus types.
#pragma once

#include <span>

#include "platform/virtual/json_object_reader.h"

namespace orvella {

std::span<const NamedValue> ErrorCodeNames();      // "ERROR_ACCESS_DENIED", ...
std::span<const NamedValue> DriveControlCodeNames();  // "IOCTL_DISK_GET_LENGTH_INFO", ...
std::span<const NamedValue> BusTypeNames();        // "BusTypeAta", ...

}  // namespace orvella
