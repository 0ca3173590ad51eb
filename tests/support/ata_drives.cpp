#include "support/ata_drives.h"

#include "core/text.h"

namespace orvella::test {

VirtualDrive HardDisk(std::uint32_t number) {
  VirtualDrive drive;
  drive.number = number;
  drive.length = 976773168LL * 512;
  drive.busType = 11;
  drive.product = "HALDEN HD500S-2";
  drive.revision = "HS01A24";
  drive.serial = "D5HS1032547698";

  VirtualIdentify identify;
  identify.model = "HALDEN HD500S-2";
  identify.firmware = "HS01A24";
  identify.serial = "      HD5S0123456789";  // right-aligned, as drives often do
  identify.words = {
      {0, 0x0C5A},  {21, 0x4000}, {47, 0x8010}, {49, 0x2F00}, {53, 0x0007}, {60, 0xFFFF},
      {61, 0x0FFF}, {75, 0x001F}, {80, 0x00FE}, {82, 0x746B}, {83, 0x7601}, {84, 0x4163},
      {85, 0x7469}, {86, 0x3401}, {87, 0x4163}, {88, 0x203F}, {100, 0x6030}, {101, 0x3A38},
      {128, 0x0021},
  };
  drive.ata.identify = identify;

  VirtualSmart smart;
  smart.attributes = {
      {1, 0x000F, 200, 200, 0},        {3, 0x0003, 178, 176, 6083},   {4, 0x0032, 100, 100, 1412},
      {5, 0x0033, 200, 200, 0},        {7, 0x000E, 100, 253, 0},      {9, 0x0032, 71, 71, 21474},
      {10, 0x0012, 100, 100, 0},       {12, 0x0032, 99, 99, 1398},    {194, 0x0022, 36, 45, 0x32000F0024},
      {196, 0x0032, 200, 200, 0},      {197, 0x0012, 200, 200, 0},    {199, 0x003E, 200, 200, 3},
  };
  drive.ata.smart = smart;
  return drive;
}

Handle OpenDrive(Os& os, std::uint32_t number) {
  return os.CreateFileW(u"\\\\.\\PhysicalDrive" + UIntToStr(number), GENERIC_READ | GENERIC_WRITE, 0,
                        OPEN_EXISTING, 0);
}

void ChooseDrive(DriveRun& run, const VirtualDrive& drive, std::int64_t busType, std::uint8_t isSlave) {
  Program& program = run.program;
  TDeviceTable& entry = program.DeviceTables[1];
  entry.DevicePath = u"\\\\.\\PhysicalDrive" + UIntToStr(drive.number);
  entry.DeviceNumber = drive.number;
  entry.IdentifyData.Model = Latin1ToText(drive.product.value_or(""));
  entry.IdentifyData.FW = Latin1ToText(drive.revision.value_or("0000"));
  entry.IdentifyData.SN = Latin1ToText(drive.serial.value_or("000000"));
  entry.IdentifyData.SectorSize = drive.bytesPerSector;
  entry.IdentifyData.LBA = drive.length / drive.bytesPerSector;
  entry.IdentifyData.BusType = busType;
  entry.IdentifyData.IsIDESlave = isSlave;
  program.DeviceCount = 1;
  run.SelectedDevice = 1;
  run.DeviceHandle = OpenDrive(program.os, drive.number);
}

std::unique_ptr<TestProgram> ProgramWithChosenDrive(const VirtualDrive& drive, std::int64_t busType,
                                                    std::uint8_t isSlave) {
  auto t = std::make_unique<TestProgram>(MachineWith(drive));
  ChooseDrive(t->drive, drive, busType, isSlave);
  return t;
}

std::vector<RequestRecord> PassThroughRequests(const VirtualOs& os) {
  std::vector<RequestRecord> found;
  for (const RequestRecord& r : os.Requests()) {
    if (r.kind != RequestRecord::Kind::Ioctl) continue;
    if (r.controlCode == SMART_GET_VERSION || r.controlCode == SMART_SEND_DRIVE_COMMAND ||
        r.controlCode == SMART_RCV_DRIVE_DATA || r.controlCode == IOCTL_SCSI_MINIPORT) {
      found.push_back(r);
    }
  }
  return found;
}

std::uint8_t FeatureOf(const RequestRecord& request) {
  return request.input.at(layout::CmdInDriveRegs + layout::IdeRegsFeatures);
}

std::uint8_t CommandOf(const RequestRecord& request) {
  return request.input.at(layout::CmdInDriveRegs + layout::IdeRegsCommand);
}

}  // namespace orvella::test
