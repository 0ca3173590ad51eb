// What a drive run's drive says of itself when asked IDENTIFY DEVICE: its
// names and features, its rotation rate, and the sectors it hides. The
// details report shows it; an erase keeps the one it took for its record.
#pragma once

#include <cstdint>

#include "device/device_records.h"
#include "device/hidden_areas.h"

namespace orvella {

class DriveRun;

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

// Identifies the run's drive through its DeviceHandle (an ATA-bus drive is
// asked a second time when the first try fails), and asks an identified
// drive for its hidden areas.
DeviceIdentification IdentifyChosenDevice(DriveRun& run);

}  // namespace orvella
