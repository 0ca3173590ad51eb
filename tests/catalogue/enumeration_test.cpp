#include "catalogue/enumeration.h"
#include "catalogue/unopened_drives.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/system_error_text.h"
#include "core/text.h"
#include "platform/virtual/demo_drives.h"
#include "support/test_program.h"

namespace orvella {
namespace {

using test::ProgramHalted;
using test::TestProgram;
using test::Unstamped;

VirtualDrive Disk(std::uint32_t number) {
  VirtualDrive d;
  d.number = number;
  d.length = 1000000 * 512LL;
  d.busType = 7;
  d.vendor = "Maker";
  d.product = "Disk" + std::to_string(number);
  d.revision = "1.0";
  // The serial number "SN07" of drive 7, as the storage stack reports it:
  // the bytes of each pair swapped.
  const std::string digits = (number < 10 ? "0" : "") + std::to_string(number);
  d.serial = std::string{'N', 'S', digits[1], digits[0]};
  return d;
}

VirtualDrive Unprobeable(std::uint32_t number) {
  VirtualDrive d = Disk(number);
  RequestFault geometry;
  geometry.controlCode = IOCTL_DISK_GET_DRIVE_GEOMETRY;
  geometry.error = ERROR_NOT_READY;
  d.requestFaults.push_back(geometry);
  return d;
}

VirtualMachine Drives(std::vector<VirtualDrive> drives) {
  VirtualMachine m;
  m.drives = std::move(drives);
  return m;
}

std::vector<std::u16string> OpenedPaths(const VirtualOs& os) {
  std::vector<std::u16string> paths;
  for (const auto& r : os.Requests())
    if (r.kind == RequestRecord::Kind::Open) paths.push_back(r.path);
  return paths;
}

std::vector<std::u16string> StatusLines(const TestProgram& t) {
  std::vector<std::u16string> lines;
  for (const auto& line : Unstamped(t.panes.debugLog))
    if (line.starts_with(u"Done. Status = ")) lines.push_back(line);
  return lines;
}

TEST(EnumerateDevices, SkipsAMissingDriveNumber) {
  TestProgram t(Drives({Disk(0), Disk(2)}));
  t.program.DebugMode = true;
  EnumerateDevices(t.program);
  ASSERT_EQ(t.program.DeviceCount, 2);
  EXPECT_EQ(t.program.DeviceTables[1].DeviceNumber, 0u);
  EXPECT_EQ(t.program.DeviceTables[2].DeviceNumber, 2u);
  EXPECT_EQ(t.program.DeviceTables[2].DevicePath, u"\\\\.\\PhysicalDrive2");
  EXPECT_EQ(t.program.DeviceTables[2].IdentifyData.Model, u"Maker Disk2");
  EXPECT_EQ(t.program.DeviceTables[3], TDeviceTable{});

  const auto lines = Unstamped(t.panes.debugLog);
  EXPECT_EQ(lines[0], u"Iterating through devices...");
  EXPECT_EQ(lines[1], u"Trying device \\\\.\\PhysicalDrive0");
  EXPECT_EQ(lines[2], u"Identifying the device...");
  const auto tryOne = std::find(lines.begin(), lines.end(), u"Trying device \\\\.\\PhysicalDrive1");
  ASSERT_NE(tryOne, lines.end());
  EXPECT_EQ(*(tryOne + 1), u"Invalid handle, skipping");
  EXPECT_EQ(*(tryOne + 2), u"Open error 2 - The system cannot find the file specified");
  EXPECT_EQ(*(tryOne + 3), u"Trying device \\\\.\\PhysicalDrive2");
  EXPECT_EQ(t.os.OpenHandleCount(), 0);
}

TEST(EnumerateDevices, EntriesHoldTheProbeResultAndClearFileFields) {
  VirtualDrive usb = Disk(7);
  usb.removable = true;
  TestProgram t(Drives({usb, Disk(12)}));
  EnumerateDevices(t.program);
  ASSERT_EQ(t.program.DeviceCount, 2);
  const TDeviceTable& entry = t.program.DeviceTables[1];
  EXPECT_EQ(entry.DevicePath, u"\\\\.\\PhysicalDrive7");
  EXPECT_EQ(entry.DeviceNumber, 7u);
  EXPECT_EQ(entry.IdentifyData.Model, u"Maker Disk7");
  EXPECT_EQ(entry.IdentifyData.FW, u"1.0");
  EXPECT_EQ(entry.IdentifyData.SN, u"SN07");
  EXPECT_EQ(entry.IdentifyData.LBA, 1000000);
  EXPECT_EQ(entry.IdentifyData.BusType, 7);
  EXPECT_TRUE(entry.IdentifyData.RemovableMedia);
  EXPECT_FALSE(entry.IsFile);
  EXPECT_TRUE(entry.FilePath.empty());
  EXPECT_EQ(entry.FileSize, 0);
  EXPECT_FALSE(entry.IsCompressed);
  EXPECT_TRUE(entry.FileVersion.empty());
  EXPECT_EQ(t.program.DeviceTables[2].DevicePath, u"\\\\.\\PhysicalDrive12");
}

TEST(EnumerateDevices, OpensForSharedReading) {
  TestProgram t(Drives({Disk(0)}));
  EnumerateDevices(t.program);
  const RequestRecord& open = t.os.Requests().front();
  EXPECT_EQ(open.access, GENERIC_READ);
  EXPECT_EQ(open.share, FILE_SHARE_READ | FILE_SHARE_WRITE);
}

// A machine with more drives than the fifteen the walk once stopped at
// (a 24-bay server): every drive is entered, and the walk goes on to 255.
TEST(EnumerateDevices, EntersEveryDriveItFinds) {
  std::vector<VirtualDrive> drives;
  for (std::uint32_t n = 0; n < 24; ++n) drives.push_back(Disk(n));
  drives.push_back(Disk(255));
  TestProgram t(Drives(drives));
  EnumerateDevices(t.program);
  EXPECT_EQ(t.program.DeviceCount, 25);
  EXPECT_EQ(t.program.DeviceTables[16].DeviceNumber, 15u);
  EXPECT_EQ(t.program.DeviceTables[24].DeviceNumber, 23u);
  EXPECT_EQ(t.program.DeviceTables[25].DeviceNumber, 255u);
  EXPECT_EQ(t.program.DeviceTables[25].DevicePath, u"\\\\.\\PhysicalDrive255");
  EXPECT_EQ(t.program.DeviceTables[26], TDeviceTable{});
  const auto opened = OpenedPaths(t.os);
  ASSERT_EQ(opened.size(), 256u);
  EXPECT_EQ(opened.back(), u"\\\\.\\PhysicalDrive255");
}

TEST(EnumerateDevices, TriesAll256NumbersWhenNothingOpens) {
  VirtualDrive locked = Disk(0);
  locked.openError = ERROR_ACCESS_DENIED;
  TestProgram t(Drives({locked}));
  t.program.DebugMode = true;
  EnumerateDevices(t.program);
  EXPECT_EQ(t.program.DeviceCount, 0);
  const auto opened = OpenedPaths(t.os);
  ASSERT_EQ(opened.size(), 256u);
  EXPECT_EQ(opened.back(), u"\\\\.\\PhysicalDrive255");
  const auto lines = Unstamped(t.panes.debugLog);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), u"Invalid handle, skipping"), 256);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), u"Open error 5 - Access is denied"), 1);
}

// Drives that are there but refuse are counted with their reasons; numbers
// with no drive are not.
TEST(UnopenedDrives, AreCountedWithTheirReasonsAndTellWhenRightsAreMissing) {
  VirtualDrive refused = Disk(2), busy = Disk(5), refusedToo = Disk(9);
  refused.openError = ERROR_ACCESS_DENIED;
  busy.openError = ERROR_SHARING_VIOLATION;
  refusedToo.openError = ERROR_ACCESS_DENIED;
  TestProgram t(Drives({Disk(0), refused, busy, refusedToo}));
  EnumerateDevices(t.program);
  EXPECT_EQ(t.program.DeviceCount, 1);
  EXPECT_EQ(t.program.UnopenedDrives,
            (std::vector<UnopenedDrive>{{2, ERROR_ACCESS_DENIED}, {5, ERROR_SHARING_VIOLATION}, {9, ERROR_ACCESS_DENIED}}));
  EXPECT_EQ(UnopenedDrivesNote(t.program),
            u"3 drives could not be opened: Access is denied (2); " +
                SystemErrorMessage(t.os, ERROR_SHARING_VIOLATION) + u" (1).");
  EXPECT_FALSE(RightsMissingForEveryDrive(t.program));  // a drive is listed

  TestProgram none(Drives({refused}));
  EnumerateDevices(none.program);
  EXPECT_EQ(UnopenedDrivesNote(none.program), u"1 drive could not be opened: Access is denied.");
  EXPECT_TRUE(RightsMissingForEveryDrive(none.program));

  TestProgram busyOnly(Drives({busy}));
  EnumerateDevices(busyOnly.program);
  EXPECT_FALSE(RightsMissingForEveryDrive(busyOnly.program));  // rights would not help

  TestProgram all(Drives({Disk(0)}));
  EnumerateDevices(all.program);
  EXPECT_TRUE(all.program.UnopenedDrives.empty());
  EXPECT_EQ(UnopenedDrivesNote(all.program), u"");
}

TEST(EnumerateDevices, StatusLinesCarryTheLastIdentifiedDrivesTexts) {
  TestProgram t(Drives({Unprobeable(0), Disk(1), Unprobeable(2)}));
  t.program.DebugMode = true;
  EnumerateDevices(t.program);
  EXPECT_EQ(t.program.DeviceCount, 1);
  EXPECT_EQ(StatusLines(t), (std::vector<std::u16string>{u"Done. Status = 0;   ",
                                                          u"Done. Status = -1; Maker Disk1  SN01",
                                                          u"Done. Status = 0; Maker Disk1  SN01"}));
  EXPECT_EQ(t.os.OpenHandleCount(), 0);
}

TEST(EnumerateDevices, StatusLinesShowTheTextsUntrimmed) {
  VirtualDrive d = Disk(0);
  d.vendor.reset();
  TestProgram t(Drives({d}));
  t.program.DebugMode = true;
  EnumerateDevices(t.program);
  EXPECT_EQ(StatusLines(t), std::vector<std::u16string>{u"Done. Status = -1;  Disk0  SN00"});
}

TEST(EnumerateDevices, AFatalProbeEndsTheWalk) {
  VirtualDrive broken = Disk(1);
  RequestFault device;
  device.controlCode = IOCTL_STORAGE_QUERY_PROPERTY;
  device.propertyId = 0;
  device.error = ERROR_IO_DEVICE;
  broken.requestFaults.push_back(device);
  TestProgram t(Drives({Disk(0), broken, Disk(2)}));
  EXPECT_THROW(EnumerateDevices(t.program), ProgramHalted);
  ASSERT_EQ(t.halt.messages.size(), 1u);
  EXPECT_EQ(t.halt.messages[0].text,
            u"Error accessing device: The request could not be performed because of an I/O device error");
  EXPECT_EQ(OpenedPaths(t.os).back(), u"\\\\.\\PhysicalDrive1");
}

TEST(EnumerateDevices, IsSilentWithoutDebugMode) {
  TestProgram t(Drives({Disk(0), Unprobeable(1)}));
  EnumerateDevices(t.program);
  EXPECT_EQ(t.program.DeviceCount, 1);
  EXPECT_TRUE(t.panes.debugLog.empty());
}

TEST(EnumerateDevices, WalksTheDemoMachine) {
  TestProgram t(DemoDrives());
  EnumerateDevices(t.program);
  ASSERT_EQ(t.program.DeviceCount, 7);
  struct Expected {
    std::uint32_t number;
    std::u16string model, sn;
    std::int64_t lba, busType;
    std::uint8_t slave;
  };
  const Expected expected[] = {
      {0, u"Veltra HD500-16A", u"VLT5H0A19283", 976773168, 3, 0},
      {1, u" Veltra SSD 256 S3", u"SV256A0194K7", 500118192, 11, 0},
      {3, u"Veltra FlashKey 16", u"0701A3B4C5D6E7F8", 30595072, 7, 0},
      {4, u" CF 32MB", u"CF03K280", 62720, 3, 1},
      {5, u"Veltra SD Card 2GB", u"000000", 3862528, 12, 0},
  };
  for (int i = 0; i < 5; ++i) {
    const TDeviceTable& entry = t.program.DeviceTables[i + 1];
    EXPECT_EQ(entry.DeviceNumber, expected[i].number);
    EXPECT_EQ(entry.IdentifyData.Model, expected[i].model);
    EXPECT_EQ(entry.IdentifyData.SN, expected[i].sn);
    EXPECT_EQ(entry.IdentifyData.LBA, expected[i].lba);
    EXPECT_EQ(entry.IdentifyData.BusType, expected[i].busType);
    EXPECT_EQ(entry.IdentifyData.IsIDESlave, expected[i].slave);
  }
  // The NVMe drive, with the serial its identify data gives, then the SAS disk.
  EXPECT_EQ(t.program.DeviceTables[6].DeviceNumber, 6u);
  EXPECT_EQ(t.program.DeviceTables[6].IdentifyData.BusType, BusTypeNvme);
  EXPECT_EQ(t.program.DeviceTables[7].DeviceNumber, 7u);
  EXPECT_EQ(t.program.DeviceTables[7].IdentifyData.BusType, BusTypeSas);
  // The USB stick and the card are never asked for the S.M.A.R.T. version.
  int versionRequests = 0;
  for (const auto& r : t.os.Requests()) versionRequests += r.controlCode == SMART_GET_VERSION ? 1 : 0;
  EXPECT_EQ(versionRequests, 3);
}

}  // namespace
}  // namespace orvella
