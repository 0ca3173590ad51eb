// The two reports of the demo machine's hard disk, found by the device walk
// as the program finds it.
#include <gtest/gtest.h>

#include "catalogue/enumeration.h"
#include "platform/virtual/demo_drives.h"
#include "reports/device_details_report.h"
#include "reports/smart_report.h"
#include "support/ata_drives.h"
#include "support/test_program.h"

namespace orvella {
namespace {

struct DemoHardDisk : ::testing::Test {
  test::TestProgram t{DemoDrives()};

  void SetUp() override {
    EnumerateDevices(t.program);
    t.drive.SelectedDevice = 1;
    t.drive.DeviceHandle = test::OpenDrive(t.os, 0);
  }
};

TEST_F(DemoHardDisk, DetailsReportLineByLine) {
  ShowDeviceDetails(t.drive);
  const std::vector<std::u16string> expected = {
      u" ",
      u"Current date and time: 08.12.2026 14:30:05",
      u"Orvella 4.30; https://orvella.example.org",
      u"Device details for [0]  Veltra HD500-16A    01.02A01    [500.1 GB]    (976773168 512-byte sectors)",
      u" ",
      u"Model: Veltra HD500-16A",
      u"Firmware Revision: 01.02A01",
      u"Serial Number: VLT5H0A19283",
      u"Buffer size: 16.77 MB",
      u" ",
      u"PHYSICAL PARAMETERS:",
      u"LBA mode is supported",
      u"LBA-48 mode is supported",
      u"Sectors available with LBA commands: 268,435,455",
      u"Sectors available with LBA48 commands: 976,773,168",
      u"Full device capacity: 500,107,862,016 bytes",
      u" ",
      u"SECURITY:",
      u"Security features is supported",
      u"The device is currently not locked",
      u"Security is not enabled",
      u"Security is not frozen",
      u" ",
      u"FEATURES:",
      u"SMART is supported",
      u"HPA (Host-protected area) is supported",
      u"AAM (Automatic acoustic management) is supported",
      u"Streaming feature set is not supported",
      u" ",
      u"HIDDEN AREAS:",
      u"Native maximum: 976,773,168 sectors",
      u"Sectors hidden by a Host Protected Area: 0",
      u"Device Configuration Overlay: not supported by the drive",
      u" ",
      u"QUEUING:",
      u"Command Queuing is supported by the device",
      u"Maximum Queue Depth: 32",
  };
  const auto& lines = t.panes.details;
  ASSERT_EQ(lines.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << "line " << i;
}

TEST_F(DemoHardDisk, SmartReportTableAndStateLeftOn) {
  ShowSmartReport(t.drive);
  const auto& lines = t.panes.smart;
  ASSERT_EQ(lines.size(), 5u + 2u + 12u + 1u + 2u + 12u + 1u + 2u);
  EXPECT_EQ(lines[35], u"Overall health self-assessment: PASSED");
  // The power-on time with its unit, below the table.
  EXPECT_EQ(lines[27], u" 9    09  Power-on time                       0  ok                 19,322 hours");
  EXPECT_EQ(lines[3],
            u"SMART data for [0]  Veltra HD500-16A    01.02A01    [500.1 GB]    (976773168 512-byte sectors)");
  EXPECT_EQ(lines[14], u" 192  C0  Power-off retract count          200      200                87");
  EXPECT_EQ(lines[16], u" 194  C2  HDA Temperature                  107       96                40  (40 degrees) ");
  EXPECT_TRUE(t.os.Machine().drives[0].ata.smart->enabled);
}

}  // namespace
}  // namespace orvella
