#include "reports/smart_report.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/ata_drives.h"
#include "support/test_program.h"

namespace orvella {
namespace {

using test::CommandOf;
using test::FeatureOf;
using test::HardDisk;
using test::PassThroughRequests;

const std::u16string kThresholdHeader =
    u"          Attribute                   Threshold  State              Raw value";
const std::u16string kColumnHeader =
    u"          Attribute                      Current   Worst          Raw       Note";
const std::u16string kRow5 = u" 5    05  Reallocated sectors count        100      100                 0";
const std::u16string kRow194 =
    u" 194  C2  HDA Temperature                   36       45                36  (36 degrees) ";

VirtualSmartAttribute Attribute(std::uint8_t id, std::uint8_t current, std::uint8_t worst, std::uint64_t raw,
                                std::uint8_t threshold = 0, std::uint16_t flags = 0) {
  VirtualSmartAttribute a;
  a.id = id;
  a.current = current;
  a.worst = worst;
  a.raw = raw;
  a.threshold = threshold;
  a.flags = flags;
  return a;
}

VirtualDrive WithAttributes(std::vector<VirtualSmartAttribute> attributes) {
  VirtualDrive drive = HardDisk();
  drive.ata.smart->attributes = std::move(attributes);
  return drive;
}

// What the program asked the drive, in order: "identify", "enable", "read",
// "disable" (a read through either request counts once per request).
std::vector<std::string> Conversation(const VirtualOs& os) {
  std::vector<std::string> steps;
  for (const RequestRecord& r : PassThroughRequests(os)) {
    if (r.controlCode == SMART_GET_VERSION || r.controlCode == IOCTL_SCSI_MINIPORT) continue;
    if (CommandOf(r) == 0xEC) steps.push_back("identify");
    else if (FeatureOf(r) == 0xD8) steps.push_back("enable");
    else if (FeatureOf(r) == 0xD0) steps.push_back("read");
    else if (FeatureOf(r) == 0xD9) steps.push_back("disable");
  }
  return steps;
}

struct SmartReport : ::testing::Test {
  std::unique_ptr<test::TestProgram> t;

  const std::vector<std::u16string>& Show(VirtualDrive drive, std::int64_t busType = BusTypeSata,
                                          std::uint8_t isSlave = 0) {
    t = test::ProgramWithChosenDrive(drive, busType, isSlave);
    ShowSmartReport(t->drive);
    return t->panes.smart;
  }

  // The table rows: everything between the rule and the table's closing
  // blank line.
  std::vector<std::u16string> Rows() const {
    const auto& lines = t->panes.smart;
    return {lines.begin() + 7, std::find(lines.begin() + 7, lines.end(), u" ")};
  }

  // The rows of the thresholds table below the attribute table.
  std::vector<std::u16string> Thresholds() const {
    const auto& lines = t->panes.smart;
    const auto tableEnd = std::find(lines.begin() + 7, lines.end(), u" ");
    if (tableEnd == lines.end() || tableEnd + 1 == lines.end() || tableEnd[1] != kThresholdHeader) return {};
    return {tableEnd + 3, std::find(tableEnd + 3, lines.end(), u" ")};
  }

  // The health lines after the tables, up to the report's closing blank.
  std::vector<std::u16string> Health() const {
    const auto& lines = t->panes.smart;
    auto tableEnd = std::find(lines.begin() + 7, lines.end(), u" ");
    if (tableEnd + 1 != lines.end() && tableEnd[1] == kThresholdHeader) tableEnd = std::find(tableEnd + 1, lines.end(), u" ");
    return {tableEnd + 1, lines.end() - 1};
  }

  bool SmartOnAfterwards() const { return t->os.Machine().drives[0].ata.smart->enabled; }
};

TEST_F(SmartReport, HardDiskReportWithHeaderTableAndClosingBlank) {
  const auto& lines = Show(HardDisk());
  ASSERT_EQ(lines.size(), 5u + 2u + 12u + 1u + 2u + 12u + 1u + 2u);
  EXPECT_EQ(lines[0], u" ");
  EXPECT_EQ(lines[1], u"Current date and time: 08.12.2026 14:30:05");
  EXPECT_EQ(lines[2], u"Orvella 4.30; https://orvella.example.org");
  EXPECT_EQ(lines[3],
            u"SMART data for [0]  HALDEN HD500S-2    HS01A24    [500.1 GB]    (976773168 512-byte sectors)");
  EXPECT_EQ(lines[4], u" ");
  EXPECT_EQ(lines[5], kColumnHeader);
  EXPECT_EQ(lines[5].size(), 80u);
  EXPECT_EQ(lines[6], std::u16string(88, u'-'));
  EXPECT_EQ(lines[7], u" 1    01  Read error rate                  200      200                 0");
  EXPECT_EQ(lines[10], u" 5    05  Reallocated sectors count        200      200                 0");
  EXPECT_EQ(lines[14], u" 12   0C  Power Cycles                      99       99              1398");
  EXPECT_EQ(lines[15], u" 194  C2  HDA Temperature                   36       45      214749347876  (36 degrees) ");
  EXPECT_EQ(lines[19], u" ");
  EXPECT_EQ(lines[20], kThresholdHeader);
  EXPECT_EQ(lines[21], std::u16string(88, u'-'));
  EXPECT_EQ(lines[34], u" ");
  EXPECT_EQ(lines[35], u"Overall health self-assessment: PASSED");
  EXPECT_EQ(lines.back(), u" ");
  for (std::size_t i = 7; i < 19; ++i) {
    if (i != 15) {
      EXPECT_EQ(lines[i].size(), 73u) << i;
    }
  }
}

TEST_F(SmartReport, RowsOfTheDocumentedExamples) {
  Show(WithAttributes({Attribute(5, 100, 100, 0), Attribute(194, 36, 45, 0x24),
                       Attribute(9, 1, 2, 0xFFFFFFFFFFFF), Attribute(206, 253, 0, 7),
                       Attribute(190, 64, 50, 36)}));
  EXPECT_EQ(Rows(),
            (std::vector<std::u16string>{
                kRow5, kRow194,
                u" 9    09  Power-on time                      1        2   281474976710655",
                u" 206  CE  Unknown                          253        0                 7",
                u" 190  BE  Airflow Temperature               64       50                36"}));
}

// Below the attribute table: each threshold, whether the attribute fails
// now or failed once, and the raw value in its unit where it has one.
TEST_F(SmartReport, ThresholdsStatesAndUnitsBelowTheTable) {
  Show(WithAttributes({Attribute(5, 5, 5, 1832, 10, 0x0033), Attribute(197, 100, 3, 0, 10, 0x0012),
                       Attribute(9, 71, 71, 0x0000'1234'0000'4B7A, 0), Attribute(194, 36, 45, 0x2D'0014'0024, 0),
                       Attribute(206, 253, 0, 7, 0)}));
  EXPECT_EQ(Thresholds(),
            (std::vector<std::u16string>{
                u" 5    05  Reallocated sectors count          10  FAILING NOW        1832 sectors",
                u" 197  C5  Current pending sectors            10  failed in the past 0 sectors",
                u" 9    09  Power-on time                       0  ok                 19,322 hours",
                u" 194  C2  HDA Temperature                     0  ok                 36 \u00B0C",
                u" 206  CE  Unknown                             0  ok                 7"}));

  // Without the thresholds page every attribute says so.
  VirtualDrive drive = WithAttributes({Attribute(5, 100, 100, 0, 10)});
  RequestFault refuse;
  refuse.controlCode = SMART_RCV_DRIVE_DATA;
  refuse.ataFeature = 0xD1;
  drive.requestFaults.push_back(refuse);
  RequestFault refuseSend = refuse;
  refuseSend.controlCode = SMART_SEND_DRIVE_COMMAND;
  drive.requestFaults.push_back(refuseSend);
  Show(drive);
  EXPECT_EQ(Thresholds(), (std::vector<std::u16string>{
                              u" 5    05  Reallocated sectors count           -  no threshold       0 sectors"}));
}

TEST_F(SmartReport, EmptySlotsBetweenAttributesArePassedOver) {
  Show(WithAttributes({Attribute(1, 1, 1, 1), Attribute(3, 1, 1, 1), Attribute(0, 0, 0, 0),
                       Attribute(5, 1, 1, 1)}));
  EXPECT_EQ(Rows().size(), 3u);

  // As a real SSD lays its page out: slots 19 and 20 empty, ids 203 and 240
  // in slots 21 and 25.
  std::vector<VirtualSmartAttribute> page;
  for (int slot = 0; slot < 26; ++slot) page.push_back(Attribute(static_cast<std::uint8_t>(slot + 1), 100, 100, 0));
  for (int slot : {19, 20, 22, 23, 24}) page[static_cast<std::size_t>(slot)] = Attribute(0, 0, 0, 0);
  page[21] = Attribute(203, 100, 100, 0);
  page[25] = Attribute(240, 100, 100, 8812);
  Show(WithAttributes(page));
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 21u);
  EXPECT_EQ(rows[19].substr(0, 35), u" 203  CB  ECC Read Errors          ");
  EXPECT_EQ(rows[20], u" 240  F0  Unknown                          100      100              8812");

  Show(WithAttributes({}));
  EXPECT_EQ(t->panes.smart.size(), 5u + 3u + 2u);
  EXPECT_EQ(t->panes.smart.back(), u" ");
}

TEST_F(SmartReport, AttributesAtTheirThresholdNowOrInThePast) {
  VirtualDrive drive = WithAttributes({Attribute(1, 200, 200, 0, 51, 0x000F), Attribute(5, 5, 5, 1832, 10, 0x0033),
                                       Attribute(197, 100, 3, 0, 10, 0x0012), Attribute(9, 71, 71, 21474, 0),
                                       Attribute(3, 178, 176, 6083, 21, 0x0003)});
  Show(drive);
  EXPECT_EQ(Health(), (std::vector<std::u16string>{
                          u"Overall health self-assessment: FAILING (a threshold is exceeded)",
                          u"Attribute 5 Reallocated sectors count: FAILING NOW (current 5, threshold 10)",
                          u"Attribute 197 Current pending sectors: failed in the past (worst 3, threshold 10)"}));
  EXPECT_EQ(Rows().size(), 5u);  // the table keeps its columns

  // Only a failing pre-failure attribute makes the drive's own verdict fail.
  drive.ata.smart->attributes[1].flags = 0x0032;
  Show(drive);
  EXPECT_EQ(Health().at(0), u"Overall health self-assessment: PASSED");
  EXPECT_EQ(Health().size(), 3u);
}

TEST_F(SmartReport, HealthThatTheDriveDoesNotTell) {
  VirtualDrive drive = HardDisk();
  for (const std::uint8_t feature : {0xD1, 0xDA}) {
    RequestFault refuse;
    refuse.controlCode = feature == 0xD1 ? SMART_RCV_DRIVE_DATA : SMART_SEND_DRIVE_COMMAND;
    refuse.ataFeature = feature;
    drive.requestFaults.push_back(refuse);
  }
  RequestFault refuseSend;
  refuseSend.controlCode = SMART_SEND_DRIVE_COMMAND;
  refuseSend.ataFeature = 0xD1;
  drive.requestFaults.push_back(refuseSend);
  Show(drive);
  EXPECT_EQ(Rows().size(), 12u);
  EXPECT_EQ(Health(), (std::vector<std::u16string>{u"Overall health self-assessment: not reported by the drive",
                                                   u"Attribute thresholds: not reported by the drive"}));
}

TEST_F(SmartReport, ThresholdsAndVerdictAreAskedWhileSmartIsOn) {
  VirtualDrive drive = HardDisk();
  drive.ata.smart->enabled = false;
  Show(drive, BusTypeAta);
  std::vector<std::uint8_t> features;
  for (const RequestRecord& r : PassThroughRequests(t->os))
    if (r.controlCode != SMART_GET_VERSION && CommandOf(r) == 0xB0) features.push_back(FeatureOf(r));
  EXPECT_EQ(features, (std::vector<std::uint8_t>{0xD8, 0xD0, 0xD1, 0xDA, 0xD9}));
  EXPECT_EQ(Health().at(0), u"Overall health self-assessment: PASSED");
}

TEST_F(SmartReport, ThirtyAttributesGiveThirtyRows) {
  std::vector<VirtualSmartAttribute> thirty;
  for (int id = 1; id <= 30; ++id) thirty.push_back(Attribute(static_cast<std::uint8_t>(id), 100, 100, 0));
  Show(WithAttributes(thirty));
  EXPECT_EQ(Rows().size(), 30u);
  EXPECT_EQ(Rows().back().substr(0, 8), u" 30   1E");
}

TEST_F(SmartReport, DriveThatAnswersNoReadGetsOneLine) {
  VirtualDrive drive = HardDisk();
  drive.ata.smart.reset();
  const auto& lines = Show(drive);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines.back(), u"SMART is not supported by this device.");
  EXPECT_EQ(Conversation(t->os), (std::vector<std::string>{"read", "read"}));  // receive, then send
}

TEST_F(SmartReport, OtherBusesOnlyRead) {
  VirtualDrive off = HardDisk(0);
  off.ata.smart->enabled = false;
  const std::int64_t buses[] = {BusTypeSata, BusTypeUsb, BusTypeScsi};
  for (const std::int64_t bus : buses) {
    Show(HardDisk(), bus);
    EXPECT_EQ(Conversation(t->os), (std::vector<std::string>{"read"})) << bus;
    // A drive that has S.M.A.R.T. off is not switched on off the ATA bus.
    Show(off, bus);
    EXPECT_EQ(Conversation(t->os), (std::vector<std::string>{"read", "read"})) << bus;
    EXPECT_EQ(t->panes.smart.back(), u"SMART is not supported by this device.");
    EXPECT_FALSE(SmartOnAfterwards());
  }
}

TEST_F(SmartReport, AtaBusLeavesSmartOnWhenItWasOn) {
  Show(HardDisk(), BusTypeAta);
  EXPECT_EQ(Conversation(t->os), (std::vector<std::string>{"identify", "enable", "read"}));
  EXPECT_TRUE(SmartOnAfterwards());
  EXPECT_EQ(Rows().size(), 12u);
}

TEST_F(SmartReport, AtaBusSwitchesSmartOffAgainWhenItWasOff) {
  VirtualDrive drive = HardDisk();
  drive.ata.smart->enabled = false;
  Show(drive, BusTypeAta, 1);
  EXPECT_EQ(Conversation(t->os), (std::vector<std::string>{"identify", "enable", "read", "disable"}));
  EXPECT_FALSE(SmartOnAfterwards());
  EXPECT_EQ(Rows().size(), 12u);
  for (const RequestRecord& r : PassThroughRequests(t->os)) {
    if (r.controlCode == SMART_GET_VERSION) continue;
    EXPECT_EQ(r.input[4 + 5], 0xB0);
    if (CommandOf(r) == 0xB0) {
      EXPECT_EQ(r.input[12], 1);  // drive number field
    }
  }
}

TEST_F(SmartReport, AtaBusLeavesSmartOnWhenItsStateIsUnknown) {
  VirtualDrive unidentified = HardDisk();
  unidentified.ata.smart->enabled = false;
  unidentified.ata.identify.reset();
  Show(unidentified, BusTypeAta);
  EXPECT_EQ(Conversation(t->os), (std::vector<std::string>{"identify", "enable", "read"}));
  EXPECT_TRUE(SmartOnAfterwards());

  // Without the feature set in word 82 the enabled bit means nothing.
  VirtualDrive unclaimed = HardDisk();
  unclaimed.ata.smart->enabled = false;
  unclaimed.ata.identify->words[82] = 0x7468;
  Show(unclaimed, BusTypeAta);
  EXPECT_EQ(Conversation(t->os), (std::vector<std::string>{"identify", "enable", "read"}));
  EXPECT_TRUE(SmartOnAfterwards());
}

TEST_F(SmartReport, AtaBusEnableRefused) {
  VirtualDrive drive = HardDisk();
  drive.ata.smart->enabled = false;
  RequestFault refuse;
  refuse.controlCode = SMART_SEND_DRIVE_COMMAND;
  refuse.ataFeature = 0xD8;
  drive.requestFaults.push_back(refuse);
  const auto& lines = Show(drive, BusTypeAta);
  EXPECT_EQ(lines.back(), u"SMART is not supported by this device.");
  EXPECT_EQ(Conversation(t->os), (std::vector<std::string>{"identify", "enable", "disable"}));

  VirtualDrive wasOn = HardDisk();
  wasOn.requestFaults.push_back(refuse);
  Show(wasOn, BusTypeAta);
  EXPECT_EQ(Conversation(t->os), (std::vector<std::string>{"identify", "enable"}));
  EXPECT_TRUE(SmartOnAfterwards());
}

TEST_F(SmartReport, ReceiveRejectedButSendAccepted) {
  VirtualDrive drive = HardDisk();
  drive.ata.receiveAnswers = false;
  drive.ata.miniportAnswers = true;  // IDENTIFY then goes through the miniport
  drive.ata.smart->enabled = false;
  Show(drive, BusTypeAta);
  EXPECT_EQ(Conversation(t->os), (std::vector<std::string>{"identify", "enable", "read", "read", "disable"}));
  EXPECT_EQ(Rows().size(), 12u);
  EXPECT_FALSE(SmartOnAfterwards());
}

TEST_F(SmartReport, EachRunAppendsAWholeReport) {
  Show(HardDisk());
  ShowSmartReport(t->drive);
  ASSERT_EQ(t->panes.smart.size(), 2u * 37u);
  EXPECT_EQ(t->panes.smart[37], u" ");
  EXPECT_EQ(t->panes.smart[42], kColumnHeader);
}

}  // namespace
}  // namespace orvella
