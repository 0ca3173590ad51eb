// The walk over the physical drives that fills the device catalogue.
#pragma once

namespace orvella {

struct Program;

// Opens \\.\PhysicalDrive0 to \\.\PhysicalDrive255 in turn for reading,
// probes each drive that opens, and enters every identified drive into
// DeviceTables (entries 1, 2, ... in drive-number order), however many there
// are. Expects DeviceCount to be 0. Progress goes to the debug log. Drives
// that exist but refuse to open are kept in UnopenedDrives with the reason.
void EnumerateDevices(Program& program);

}  // namespace orvella
