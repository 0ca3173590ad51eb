#include "reports/device_details_report.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/text.h"
#include "support/ata_drives.h"
#include "support/test_program.h"

namespace orvella {
namespace {

using test::ChooseDrive;
using test::HardDisk;
using test::PassThroughRequests;

std::vector<std::u16string> Header(const std::u16string& title) {
  return {u" ",
          u"Current date and time: 08.12.2026 14:30:05",
          u"Orvella 4.30; https://orvella.example.org",
          u"Device details for " + title,
          u" "};
}

const std::u16string kHardDiskTitle =
    u"[0]  HALDEN HD500S-2    HS01A24    [500.1 GB]    (976773168 512-byte sectors)";

struct DetailsReport : ::testing::Test {
  std::unique_ptr<test::TestProgram> t;

  // Shows the report of `drive` on bus `busType` and returns its lines.
  const std::vector<std::u16string>& Show(VirtualDrive drive, std::int64_t busType = BusTypeSata,
                                          std::uint8_t isSlave = 0) {
    t = test::ProgramWithChosenDrive(drive, busType, isSlave);
    ShowDeviceDetails(t->drive);
    return t->panes.details;
  }

  // The lines after the header and the identity block.
  std::vector<std::u16string> LinesAfter(const std::u16string& first) {
    const auto& lines = t->panes.details;
    const auto at = std::find(lines.begin(), lines.end(), first);
    return {at, lines.end()};
  }

  int IdentifyAttempts() const {
    const auto requests = PassThroughRequests(t->os);
    return static_cast<int>(std::count_if(requests.begin(), requests.end(), [](const RequestRecord& r) {
      return r.controlCode == SMART_GET_VERSION;
    }));
  }
};

VirtualDrive WithWords(VirtualDrive drive, std::map<int, std::uint16_t> words) {
  for (const auto& [n, v] : words) drive.ata.identify->words[n] = v;
  return drive;
}

TEST_F(DetailsReport, HardDiskReportLineByLine) {
  std::vector<std::u16string> expected = Header(kHardDiskTitle);
  const std::vector<std::u16string> body = {
      u"Model: HALDEN HD500S-2",
      u"Firmware Revision: HS01A24",
      u"Serial Number: HD5S0123456789",
      u"Buffer size: 8388.6 KB",
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
  expected.insert(expected.end(), body.begin(), body.end());
  const auto& lines = Show(HardDisk());
  ASSERT_EQ(lines.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << "line " << i;
  EXPECT_EQ(IdentifyAttempts(), 1);
}

TEST_F(DetailsReport, SmallDriveWithoutBufferQueueOrFeatures) {
  // 28-bit only, security not supported whatever word 128 says, streaming on.
  const auto& lines = Show(WithWords(HardDisk(), {{21, 0}, {75, 0}, {82, 0x0000}, {83, 0x4000}, {84, 0x4010},
                                                  {60, 0x5000}, {61, 0x0009}, {100, 0}, {101, 0}, {128, 0x0103}}),
                           BusTypeSata);
  EXPECT_EQ(lines[7], u"Serial Number: HD5S0123456789");
  EXPECT_EQ(lines[8], u" ");
  EXPECT_EQ(lines[9], u"PHYSICAL PARAMETERS:");
  EXPECT_EQ(LinesAfter(u"PHYSICAL PARAMETERS:"),
            (std::vector<std::u16string>{u"PHYSICAL PARAMETERS:",
                                         u"LBA mode is supported",
                                         u"LBA-48 mode is not supported",
                                         u"Sectors available with LBA commands: 610,304",
                                         u"Sectors available with LBA48 commands: 0",
                                         u"Full device capacity: 312,475,648 bytes",
                                         u" ",
                                         u"SECURITY:",
                                         u"Security features is not supported",
                                         u"The device is currently not locked",
                                         u"Security is not enabled",
                                         u"Security is not frozen",
                                         u" ",
                                         u"FEATURES:",
                                         u"SMART is not supported",
                                         u"HPA (Host-protected area) is not supported",
                                         u"AAM (Automatic acoustic management) is not supported",
                                         u"Streaming feature set is supported",
                                         u" ",
                                         u"HIDDEN AREAS:",
                                         u"Host Protected Area: not supported by the drive",
                                         u"Device Configuration Overlay: not supported by the drive",
                                         u" ",
                                         u"QUEUING:",
                                         u"Command Queuing is not supported by the device"}));
}

std::vector<std::u16string> FirstLines(const std::vector<std::u16string>& lines, std::size_t count) {
  return {lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(count, lines.size()))};
}

TEST_F(DetailsReport, LockedDriveExplainsItsSecurityLevel) {
  // 0107h: supported, enabled, locked, level Maximum.
  Show(WithWords(HardDisk(), {{128, 0x0107}}));
  EXPECT_EQ(FirstLines(LinesAfter(u"SECURITY:"), 10),
            (std::vector<std::u16string>{
                u"SECURITY:", u"Security features is supported", u"The drive is currently LOCKED",
                u"Security level: Maximum", u"Device needs USER password to be unlocked.",
                u"If USER password is unknown, the device could be erased with MASTER password.",
                u"Security is enabled (a password is set)", u"Security is not frozen", u" ", u"FEATURES:"}));

  Show(WithWords(HardDisk(), {{128, 0x0007}}));
  EXPECT_EQ(FirstLines(LinesAfter(u"SECURITY:"), 8),
            (std::vector<std::u16string>{u"SECURITY:", u"Security features is supported",
                                         u"The drive is currently LOCKED", u"Security level: High",
                                         u"Device needs either USER or MASTER password to be unlocked.",
                                         u"Security is enabled (a password is set)", u"Security is not frozen",
                                         u" "}));

  Show(WithWords(HardDisk(), {{128, 0x0101}}));  // Maximum level but no password set
  EXPECT_EQ(LinesAfter(u"SECURITY:")[2], u"The device is currently not locked");
  EXPECT_EQ(LinesAfter(u"SECURITY:")[5], u" ");
}

TEST_F(DetailsReport, APasswordSetOnAFrozenSsdIsNotALock) {
  // Word 128 as a real SSD gives it: supported, enabled, frozen, level
  // Maximum, not locked.
  Show(WithWords(HardDisk(), {{128, 0x012B}}));
  EXPECT_EQ(FirstLines(LinesAfter(u"SECURITY:"), 6),
            (std::vector<std::u16string>{u"SECURITY:", u"Security features is supported",
                                         u"The device is currently not locked",
                                         u"Security is enabled (a password is set)", u"Security is frozen", u" "}));
}

TEST_F(DetailsReport, HiddenAreasShowTheNativeMaximumAndWhatIsHidden) {
  VirtualDrive drive = WithWords(HardDisk(), {{83, 0x7E01}});  // with the overlay feature set
  drive.ata.nativeSectors = 976773168 + 1000;
  drive.ata.factorySectors = 976773168 + 1000 + 48;
  Show(drive);
  EXPECT_EQ(FirstLines(LinesAfter(u"HIDDEN AREAS:"), 5),
            (std::vector<std::u16string>{u"HIDDEN AREAS:", u"Native maximum: 976,774,168 sectors",
                                         u"Sectors hidden by a Host Protected Area: 1000",
                                         u"Sectors hidden by a Device Configuration Overlay: 48", u" "}));
  // Only reading commands went to the drive: READ NATIVE MAX ADDRESS EXT
  // and DEVICE CONFIGURATION IDENTIFY.
  std::vector<std::uint8_t> commands;
  for (const RequestRecord& r : t->os.Requests())
    if (r.controlCode == IOCTL_ATA_PASS_THROUGH) commands.push_back(r.input.at(layout::AtaPtCurrentTaskFile + 6));
  EXPECT_EQ(commands, (std::vector<std::uint8_t>{0x27, 0xB1}));

  drive.ata.taskFileAnswers = false;
  Show(drive);
  EXPECT_EQ(FirstLines(LinesAfter(u"HIDDEN AREAS:"), 4),
            (std::vector<std::u16string>{u"HIDDEN AREAS:",
                                         u"Host Protected Area: the drive did not report its native maximum",
                                         u"Device Configuration Overlay: the drive did not report its factory maximum",
                                         u" "}));
}

TEST_F(DetailsReport, CapacitiesFollowTheLocaleDecimalSeparator) {
  VirtualMachine machine;
  machine.drives.push_back(HardDisk());
  test::TestProgram p(machine);
  p.locale.decimalSeparator = u',';
  ChooseDrive(p.drive, HardDisk(), BusTypeSata, 0);
  ShowDeviceDetails(p.drive);
  EXPECT_EQ(p.panes.details[3], u"Device details for [0]  HALDEN HD500S-2    HS01A24    [500,1 GB]    "
                                u"(976773168 512-byte sectors)");
  EXPECT_EQ(p.panes.details[8], u"Buffer size: 8388,6 KB");
}

TEST_F(DetailsReport, SlaveDriveIsAskedWithDriveHeadB0) {
  Show(HardDisk(), BusTypeAta, 1);
  const RequestRecord receive = PassThroughRequests(t->os).back();
  EXPECT_EQ(receive.controlCode, SMART_RCV_DRIVE_DATA);
  EXPECT_EQ(receive.input[4 + 5], 0xB0);
}

TEST_F(DetailsReport, UnidentifiedAtaDriveIsAskedTwiceThenReportsAnInternalError) {
  VirtualDrive silent = HardDisk();
  silent.ata.identify.reset();
  std::vector<std::u16string> expected = Header(kHardDiskTitle);
  expected.push_back(u"Details are unavailable: Internal error.");
  expected.push_back(u"Please post this problem on https://orvella.example.org/forum");
  EXPECT_EQ(Show(silent, BusTypeAta), expected);
  EXPECT_EQ(IdentifyAttempts(), 2);
}

TEST_F(DetailsReport, UnidentifiedDriveOnAnotherBusIsAskedOnce) {
  VirtualDrive silent = HardDisk();
  silent.ata.identify.reset();
  const std::int64_t buses[] = {BusTypeSata, BusTypeUsb, BusTypeAta + (std::int64_t{1} << 32)};
  for (const std::int64_t bus : buses) {
    std::vector<std::u16string> expected = Header(kHardDiskTitle);
    expected.push_back(u"Details are unavailable for this device.");
    const auto& lines = Show(silent, bus);
    ASSERT_GT(lines.size(), expected.size()) << bus;
    EXPECT_EQ(FirstLines(lines, expected.size()), expected) << bus;
    EXPECT_EQ(IdentifyAttempts(), 1) << bus;
  }
}

// A USB stick or an SD card answers no IDENTIFY, but the system knows its
// bus, names, size and whether it is removable: the report says so.
TEST_F(DetailsReport, ADriveWithoutIdentifyShowsWhatTheSystemKnows) {
  VirtualDrive stick = HardDisk();
  stick.ata.identify.reset();
  Show(stick, BusTypeUsb);
  const auto known = LinesAfter(u"WHAT THE SYSTEM REPORTS:");
  ASSERT_EQ(known.size(), 8u);
  EXPECT_EQ(known[1], u"Bus: USB");
  EXPECT_TRUE(known[2].starts_with(u"Model: ")) << TextToUtf8(known[2]);
  EXPECT_EQ(known[4].substr(0, 15), u"Serial Number: ");
  EXPECT_GT(known[4].size(), 15u);
  EXPECT_TRUE(known[5].starts_with(u"Capacity: ")) << TextToUtf8(known[5]);
  EXPECT_TRUE(known[5].ends_with(u" sectors of 512 bytes)")) << TextToUtf8(known[5]);
  EXPECT_EQ(known[6], u"Removable media: no");
  EXPECT_EQ(known[7], u"Device path: \\\\.\\PhysicalDrive0");
}

}  // namespace
}  // namespace orvella
