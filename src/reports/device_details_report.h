// The device details report: what the chosen drive's IDENTIFY DEVICE data
// says about it, written into the details pane.
#pragma once

#include "device/drive_run.h"
#include "device/device_records.h"
#include "device/hidden_areas.h"

namespace orvella {

enum class IdentifyOutcome {
  Identified,
  InternalError,  // an ATA-bus drive failed both tries
  Unavailable,    // any other drive failed its one try
};

struct DeviceIdentification {
  IdentifyOutcome outcome = IdentifyOutcome::Unavailable;
  T_IDE_PASSPORT passport;  // filled only when identified
  // IDENTIFY word 217, the nominal media rotation rate: 1 for a medium that
  // does not rotate, 0x0401 to 0xFFFE revolutions per minute, 0 not reported.
  std::uint16_t rotationRate = 0;
  HiddenAreas hiddenAreas;  // asked for only when identified
};

// Identifies the chosen drive through DeviceHandle as the report does (an
// ATA-bus drive is asked a second time when the first try fails), and asks
// an identified drive for its hidden areas.
DeviceIdentification IdentifyChosenDevice(DriveRun& run);

// Identifies the chosen drive through DeviceHandle and appends the report;
// a drive that cannot be identified gets the header and a closing message.
// Returns how the identification went.
IdentifyOutcome ShowDeviceDetails(DriveRun& run);

}  // namespace orvella
