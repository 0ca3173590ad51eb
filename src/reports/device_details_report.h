// The device details report: what the chosen drive's IDENTIFY DEVICE data
// says about it, written into the details pane.
#pragma once

#include "device/drive_identification.h"
#include "device/drive_run.h"

namespace orvella {

// Identifies the chosen drive through DeviceHandle and appends the report;
// a drive that cannot be identified gets the header and a closing message.
// Returns how the identification went.
IdentifyOutcome ShowDeviceDetails(DriveRun& run);

}  // namespace orvella
