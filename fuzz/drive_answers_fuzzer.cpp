// The program's questions to a drive answered with bytes from the input:
// the storage probe (geometry, length, adapter and device descriptors, the
// serial number in its swapped and hexadecimal forms), then the details
// report (IDENTIFY) and the S.M.A.R.T. report over the same replies. No
// reply may crash the program or make it read outside a buffer.
#include <cstdint>
#include <span>

#include "fuzz_program.h"
#include "device/drive_run.h"
#include "device/storage_probe.h"
#include "replay_os.h"
#include "reports/device_details_report.h"
#include "reports/smart_report.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvella;
  fuzz::ReplayOs os(std::span<const std::uint8_t>(data, size));
  fuzz::FuzzProgram fuzz(os);
  Program& program = fuzz.program;
  try {
    TIdentifyDeviceData probed;
    if (ProbeStorageDevice(program, 1, probed) != 0) return 0;
    program.DeviceCount = 1;
    program.DeviceTables[1].DevicePath = u"\\\\.\\PhysicalDrive0";
    program.DeviceTables[1].IdentifyData = probed;
    DriveRun drive(program);
    drive.SelectedDevice = 1;
    drive.DeviceHandle = 1;
    ShowDeviceDetails(drive);
    ShowSmartReport(drive);
  } catch (const test::ProgramHalted&) {
    // A failed device query ends the program, as it should.
  }
  return 0;
}
