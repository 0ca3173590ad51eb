#include "device/drive_identification.h"

#include "device/drive_run.h"
#include "device/identify_device.h"
#include "device/identify_parser.h"

namespace orvella {

DeviceIdentification IdentifyChosenDevice(DriveRun& run) {
  Os& os = run.program.os;
  const TIdentifyDeviceData& drive = run.Entry().IdentifyData;
  AtaSector data{};
  bool identified = IdentifyDevice(os, run.DeviceHandle, drive.IsIDESlave, data);
  if (!identified && drive.BusType == BusTypeAta) {
    identified = IdentifyDevice(os, run.DeviceHandle, drive.IsIDESlave, data);
    if (!identified) return {IdentifyOutcome::InternalError, {}, {}, {}};
  }
  if (!identified) return {IdentifyOutcome::Unavailable, {}, {}, {}};
  const T_IDE_PASSPORT passport = ParseIdentifyData(os, data);
  const auto rotationRate = static_cast<std::uint16_t>(data[434] | data[435] << 8);
  return {IdentifyOutcome::Identified, passport, rotationRate,
          DetectHiddenAreas(os, run.DeviceHandle, drive.IsIDESlave, passport)};
}

}  // namespace orvella
