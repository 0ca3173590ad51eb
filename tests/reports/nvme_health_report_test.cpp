#include "reports/nvme_health_report.h"

#include <gtest/gtest.h>

#include "platform/byte_order.h"
#include "reports/smart_report.h"
#include "support/ata_drives.h"
#include "support/test_program.h"

namespace orvella {
namespace {

// An NVMe SSD with a worn but healthy health log, as such drives report it.
VirtualDrive NvmeDrive() {
  VirtualDrive drive;
  drive.number = 0;
  drive.length = 1000215216LL * 512;
  drive.busType = 17;
  drive.product = "KESTA NV1 512";
  drive.revision = "3B2QGXA7";
  VirtualNvme nvme;
  nvme.temperatureKelvin = 310;
  nvme.availableSpare = 100;
  nvme.availableSpareThreshold = 10;
  nvme.percentageUsed = 3;
  nvme.dataUnitsRead = 12'345'678;
  nvme.dataUnitsWritten = 9'876'543;
  nvme.powerCycles = 1'402;
  nvme.powerOnHours = 6'211;
  nvme.unsafeShutdowns = 87;
  nvme.mediaErrors = 0;
  nvme.errorLogEntries = 2'015;
  drive.nvme = nvme;
  return drive;
}

struct NvmeReport : ::testing::Test {
  std::unique_ptr<test::TestProgram> t;
  std::vector<std::u16string> Show(const VirtualDrive& drive) {
    t = test::ProgramWithChosenDrive(drive, BusTypeNvme, 0);
    ShowSmartReport(t->drive);
    return {t->panes.smart.begin() + 5, t->panes.smart.end()};
  }
};

TEST_F(NvmeReport, TheHealthLogAsATable) {
  const auto lines = Show(NvmeDrive());
  EXPECT_EQ(lines, (std::vector<std::u16string>{
                       u" NVMe SMART / Health Information (log page 02h)",
                       std::u16string(60, u'-'),
                       u" Critical warning                  0x00 (none)",
                       u" Composite temperature             310 K (37 degrees Celsius)",
                       u" Available spare                   100%",
                       u" Available spare threshold         10%",
                       u" Percentage used                   3%",
                       u" Data units read                   12345678 (6320.98 GB)",
                       u" Data units written                9876543 (5056.79 GB)",
                       u" Power-on hours                    6211",
                       u" Power cycles                      1402",
                       u" Unsafe shutdowns                  87",
                       u" Media and data integrity errors   0",
                       u" Error information log entries     2015",
                       u" ",
                       u"Overall health: PASSED (no critical warning)",
                       u" ",
                   }));
  // No ATA command went to the drive.
  EXPECT_TRUE(test::PassThroughRequests(t->os).empty());
}

TEST_F(NvmeReport, CriticalWarningsAreNamedAndFailTheVerdict) {
  VirtualDrive drive = NvmeDrive();
  drive.nvme->criticalWarning = 0x05;
  const auto lines = Show(drive);
  EXPECT_EQ(lines[2], u" Critical warning                  0x05");
  EXPECT_EQ(lines[3], u"                                   - available spare below its threshold");
  EXPECT_EQ(lines[4], u"                                   - reliability degraded by media or internal errors");
  EXPECT_EQ(lines[lines.size() - 2], u"Overall health: FAILING (critical warning set)");
}

TEST_F(NvmeReport, ADriveWithoutTheLogIsNotSupported) {
  VirtualDrive drive = NvmeDrive();
  drive.nvme.reset();
  EXPECT_EQ(Show(drive), (std::vector<std::u16string>{u"SMART is not supported by this device."}));
  EXPECT_FALSE(ReadNvmeHealth(t->drive).has_value());
}

TEST(NvmeHealthLog, CountersAreSixteenBytesWide) {
  EXPECT_EQ((NvmeCounter{0, 0}).DecimalText(), u"0");
  EXPECT_EQ((NvmeCounter{UINT64_MAX, 0}).DecimalText(), u"18446744073709551615");
  EXPECT_EQ((NvmeCounter{0, 1}).DecimalText(), u"18446744073709551616");
  EXPECT_EQ((NvmeCounter{UINT64_MAX, UINT64_MAX}).DecimalText(), u"340282366920938463463374607431768211455");

  NvmeLogPage page{};
  page[1] = 0x36;  // 310 K
  page[2] = 0x01;
  page[32 + 16 * 6] = 0x10;  // power-on hours, low byte
  page[32 + 16 * 6 + 8] = 0x01;  // and the upper 8 bytes
  const NvmeHealthLog log = ParseNvmeHealthLog(page);
  EXPECT_EQ(log.compositeTemperatureKelvin, 310);
  EXPECT_EQ(log.powerOnHours, (NvmeCounter{0x10, 0x01}));
}

TEST(NvmeHealthLog, ARepliesDataMustLieInsideWhatCameBack) {
  VirtualMachine machine;
  machine.drives.push_back(NvmeDrive());
  // A reply cut short of the log is no log.
  RequestFault shortReply;
  shortReply.controlCode = IOCTL_STORAGE_QUERY_PROPERTY;
  shortReply.propertyId = 50;
  shortReply.replyBytes = 48 + 511;
  machine.drives[0].requestFaults.push_back(shortReply);
  VirtualOs os(machine);
  const Handle drive = test::OpenDrive(os, 0);
  NvmeLogPage page{};
  page.fill(0xEE);
  EXPECT_FALSE(ReadNvmeHealthLog(os, drive, page));
  EXPECT_EQ(page[0], 0xEE);  // untouched

  const RequestRecord& query = os.Requests().back();
  EXPECT_EQ(query.controlCode, IOCTL_STORAGE_QUERY_PROPERTY);
  EXPECT_EQ(query.inLength, 560u);
  EXPECT_EQ(GetU32(query.input.data(), 0), 50u);        // the protocol-specific device property
  EXPECT_EQ(GetU32(query.input.data(), 8), 3u);         // NVMe
  EXPECT_EQ(GetU32(query.input.data(), 8 + 4), 2u);     // a log page
  EXPECT_EQ(GetU32(query.input.data(), 8 + 8), 2u);     // log page 02h
  EXPECT_EQ(GetU32(query.input.data(), 8 + 16), 40u);   // data after the 40-byte structure
  EXPECT_EQ(GetU32(query.input.data(), 8 + 20), 512u);  // of 512 bytes
}

}  // namespace
}  // namespace orvella
