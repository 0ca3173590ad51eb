// The storage probe: what a physical drive is, learnt from the operating
// system's disk and storage queries on an open drive handle.
#pragma once

#include <cstdint>

#include "device/device_records.h"
#include "platform/os.h"

namespace orvella {

struct Program;

// Fills Info from the geometry, length, adapter and device answers of the
// drive behind Handle (opened for reading by the caller, who also closes it).
// Returns 0 when Info was filled, -1 when the drive could not be probed (Info
// untouched). A failing device property query ends the program. Every step
// goes to the debug log.
std::int64_t ProbeStorageDevice(Program& program, Handle handle, TIdentifyDeviceData& Info);

// 1 when the ATA drive behind Handle sits in a slave position of an IDE
// channel, else 0 (also whenever the driver cannot tell).
std::uint8_t DetectIDESlave(Program& program, Handle handle);

}  // namespace orvella
