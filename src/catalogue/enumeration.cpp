#include "catalogue/enumeration.h"

#include <cstdint>

#include "core/log_sinks.h"
#include "core/program.h"
#include "core/system_error_text.h"
#include "core/text.h"
#include "device/storage_probe.h"

namespace orvella {
namespace {

constexpr char16_t kPhysicalDrivePrefix[] = u"\\\\.\\PhysicalDrive";

TDeviceTable CatalogueEntry(const std::u16string& path, std::uint8_t driveNumber,
                            const TIdentifyDeviceData& identified) {
  TDeviceTable entry;
  entry.DevicePath = path;
  entry.DeviceNumber = driveNumber;
  entry.IdentifyData = identified;
  return entry;
}

}  // namespace

void EnumerateDevices(Program& program) {
  AddDebugLog(program, u"Iterating through devices...");
  // One working record serves the whole walk: a probe that fails leaves it
  // as the last identified drive left it, and the status line shows that.
  TIdentifyDeviceData working;
  std::uint8_t driveNumber = 0;
  // Every drive number is tried and every identified drive entered: a drive
  // left out of the catalogue could be neither chosen nor told apart.
  while (true) {
    const std::u16string path = kPhysicalDrivePrefix + IntToStr(driveNumber);
    AddDebugLog(program, u"Trying device " + path);
    const Handle handle = program.os.CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                 OPEN_EXISTING, 0);
    if (handle == INVALID_HANDLE_VALUE) {
      // The reason tells a missing drive from one that refuses access.
      const std::uint32_t error = program.os.GetLastError();
      AddDebugLog(program, u"Invalid handle, skipping");
      AddDebugLog(program, u"Open error " + IntToStr(error) + u" - " + SystemErrorMessage(program.os, error));
    } else {
      AddDebugLog(program, u"Identifying the device...");
      const bool identified = ProbeStorageDevice(program, handle, working) == 0;
      AddDebugLog(program, u"Done. Status = " + std::u16string(identified ? u"-1" : u"0") + u"; " + working.Model +
                               u"  " + working.SN);
      if (identified) {
        ++program.DeviceCount;
        program.DeviceTables[static_cast<std::size_t>(program.DeviceCount)] =
            CatalogueEntry(path, driveNumber, working);
      }
      program.os.CloseHandle(handle);
    }
    if (++driveNumber == 0) break;  // all 256 numbers tried
  }
}

}  // namespace orvella
