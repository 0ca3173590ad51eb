#include "device/storage_probe.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/text.h"
#include "support/test_program.h"

namespace orvella {
namespace {

using test::ProgramHalted;
using test::TestProgram;
using test::Unstamped;

VirtualDrive AtaDisk() {
  VirtualDrive d;
  d.number = 0;
  d.bytesPerSector = 512;
  d.length = 500107862016;
  d.maxTransferLength = 65536;
  d.busType = 3;
  d.vendor = "ATA     ";
  d.product = "XD2000A";
  d.revision = "01.A";
  d.serial = "  S1234567";
  return d;
}

RequestFault FailRequest(std::uint32_t code, std::uint32_t error) {
  RequestFault f;
  f.controlCode = code;
  f.error = error;
  return f;
}

RequestFault FailProperty(std::uint32_t propertyId, std::uint32_t error) {
  RequestFault f = FailRequest(IOCTL_STORAGE_QUERY_PROPERTY, error);
  f.propertyId = propertyId;
  return f;
}

// Probes drive 0 of the machine in debug mode.
struct Probe {
  explicit Probe(VirtualDrive drive) : t(test::MachineWith(std::move(drive))) {
    t.program.DebugMode = true;
    handle = t.os.CreateFileW(u"\\\\.\\PhysicalDrive0", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              OPEN_EXISTING, 0);
    t.os.ClearRequests();
    status = ProbeStorageDevice(t.program, handle, info);
  }
  std::vector<std::u16string> Lines() const { return Unstamped(t.panes.debugLog); }
  bool Logged(const std::u16string& line) const {
    const auto lines = Lines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  bool Sent(std::uint32_t code) const {
    const auto& r = t.os.Requests();
    return std::any_of(r.begin(), r.end(), [code](const RequestRecord& q) { return q.controlCode == code; });
  }

  TestProgram t;
  Handle handle = INVALID_HANDLE_VALUE;
  TIdentifyDeviceData info;
  std::int64_t status = 1;
};

TEST(StorageProbe, IdentifiesADriveAndLogsEveryStep) {
  Probe p(AtaDisk());
  ASSERT_EQ(p.status, 0);
  EXPECT_EQ(p.Lines(), (std::vector<std::u16string>{
                           u"Getting geometry...", u"Done -1", u"Sector size = 512",
                           u"Getting disk length...", u"Done -1", u"Media \"Length\" = 500107862016",
                           u"Querying storage property (adapter)...", u"Done -1",
                           u"Querying storage property (device)...", u"Done -1", u"Parsing data...",
                           u"VendorID: ATA ", u"ProductID: XD2000A", u"ProductRevision: 01.A",
                           u"SerialNumber: 1S325476", u"Sectors: 976773168", u"SectorSize: 512",
                           u"MaxTransfer: 128"}));
  TIdentifyDeviceData expected;
  expected.Model = u"ATA XD2000A";
  expected.FW = u"01.A";
  expected.SN = u"1S325476";
  expected.LBA = 976773168;
  expected.SectorSize = 512;
  expected.BusType = 3;
  expected.MaximumSectorsTransfer = 128;
  EXPECT_EQ(p.info, expected);
}

TEST(StorageProbe, SendsTheRequestsWithTheirBufferSizes) {
  Probe p(AtaDisk());
  const auto& r = p.t.os.Requests();
  ASSERT_EQ(r.size(), 5u);
  EXPECT_EQ(r[0].controlCode, IOCTL_DISK_GET_DRIVE_GEOMETRY);
  EXPECT_EQ(r[1].controlCode, IOCTL_DISK_GET_LENGTH_INFO);
  for (int i : {0, 1}) {
    EXPECT_EQ(r[i].inLength, 512u);
    EXPECT_EQ(r[i].outLength, 512u);
  }
  for (int i : {2, 3}) {
    EXPECT_EQ(r[i].controlCode, IOCTL_STORAGE_QUERY_PROPERTY);
    EXPECT_EQ(r[i].inLength, 12u);
    EXPECT_EQ(r[i].outLength, 512u);
  }
  EXPECT_EQ(r[2].input, (std::vector<std::uint8_t>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(r[3].input, std::vector<std::uint8_t>(12, 0));
  EXPECT_EQ(r[4].controlCode, SMART_GET_VERSION);
  EXPECT_EQ(r[4].inLength, 0u);
  EXPECT_EQ(r[4].outLength, 28u);
}

// The storage stack reports serial numbers with the bytes of each pair
// swapped; this gives the raw bytes that stand for an unswapped text.
std::string Swapped(std::string text) {
  if (text.size() % 2 != 0) text.push_back('\0');
  for (std::size_t i = 0; i < text.size(); i += 2) std::swap(text[i], text[i + 1]);
  return text;
}

struct SerialCase {
  std::string raw;
  std::u16string sn;
  bool decodingTried;
};

class SerialDecoding : public testing::TestWithParam<SerialCase> {};

TEST_P(SerialDecoding, GivesTheSerialNumber) {
  VirtualDrive d = AtaDisk();
  d.serial = GetParam().raw;
  Probe p(d);
  EXPECT_EQ(p.info.SN, GetParam().sn);
  EXPECT_EQ(p.Logged(u"Performing the WinXP SN trick..."), GetParam().decodingTried);
}

INSTANTIATE_TEST_SUITE_P(
    StorageProbe, SerialDecoding,
    testing::Values(
        SerialCase{"85A593D283151413737343330202020202020202", u"ZX-9Q81A7734", true},
        SerialCase{"85a593d283151413737343330202020202020202", u"ZX-9Q81A7734", true},
        // "_" and blanks stand for the digit 2.
        SerialCase{Swapped("585A392D3851413137373433_0_0_0_0_0_0_0_0"), u"ZX-9Q81A7734", true},
        SerialCase{Swapped("585A392D3851413137373433 0 0 0 0 0 0 0 0"), u"ZX-9Q81A7734", true},
        // 40 characters, but not all of them digits: left as it is.
        SerialCase{Swapped("585A392D38514131373734332020202020202G20"),
                   u"585A392D38514131373734332020202020202G20", true},
        // 39 and 41 characters after trimming: not tried.
        SerialCase{Swapped(" 585A392D3851413137373433202020202020202"),
                   u"585A392D3851413137373433202020202020202", false},
        SerialCase{Swapped(" 585A392D385141313737343320202020202020201"),
                   u"585A392D385141313737343320202020202020201", false},
        SerialCase{"  S1234567", u"1S325476", false},
        // The odd byte C is paired with a 0 byte before the swap.
        SerialCase{"ABC", std::u16string(u"BA\0C", 4), false},
        SerialCase{"      ", u"000000", false}));

TEST(StorageProbe, SerialBytesAboveAsciiKeepTheirCodes) {
  VirtualDrive d = AtaDisk();
  d.serial = Swapped("\xB5" "9-\xFF");
  Probe p(d);
  EXPECT_EQ(p.info.SN, u"\u00B59-\u00FF");
}

TEST(StorageProbe, ModelFirmwareAndSerialDefaults) {
  VirtualDrive d = AtaDisk();
  d.vendor.reset();
  d.product.reset();
  d.revision.reset();
  d.serial.reset();
  Probe none(d);
  EXPECT_EQ(none.info.Model, u"Storage Device");
  EXPECT_EQ(none.info.FW, u"0000");
  EXPECT_EQ(none.info.SN, u"000000");
  EXPECT_TRUE(none.Logged(u"VendorID:  "));
  EXPECT_TRUE(none.Logged(u"SerialNumber: "));

  d.product = "Disk";
  d.revision = "   ";
  EXPECT_EQ(Probe(d).info.Model, u" Disk");
  EXPECT_EQ(Probe(d).info.FW, u"0000");

  d.product.reset();
  d.vendor = "ATA     ";
  EXPECT_EQ(Probe(d).info.Model, u"ATA ");
}

TEST(StorageProbe, TextsStopAtTheDescriptorSizeAndTheReplyEnd) {
  VirtualDrive d = AtaDisk();
  d.vendor.reset();
  d.product = "XD2000A";
  d.revision = "01.AB";
  d.serial.reset();
  // Product at 40, revision at 48; a Size of 45 cuts the product after
  // five bytes and leaves the revision outside.
  d.deviceDescriptorSize = 45;
  Probe cut(d);
  EXPECT_EQ(cut.info.Model, u" XD200");
  EXPECT_EQ(cut.info.FW, u"0000");

  // A serial (at 54) that has no 0 byte within the 512-byte reply ends
  // with the reply.
  d.deviceDescriptorSize.reset();
  d.serial = std::string(600, 'x');
  Probe longSerial(d);
  EXPECT_EQ(longSerial.info.SN, std::u16string(512 - 54, u'x'));
}

TEST(StorageProbe, SectorCountsFollowTheReportedSectorSize) {
  VirtualDrive d = AtaDisk();
  d.bytesPerSector = 4096;
  Probe big(d);
  EXPECT_EQ(big.info.LBA, 122096646);
  EXPECT_EQ(big.info.SectorSize, 4096);
  EXPECT_EQ(big.info.MaximumSectorsTransfer, 16);

  for (std::uint32_t small : {0u, 256u}) {
    d.bytesPerSector = small;
    Probe p(d);
    EXPECT_EQ(p.info.LBA, 0);
    EXPECT_EQ(p.info.SectorSize, 512);
    EXPECT_TRUE(p.Logged(u"Sectors: 0"));
    EXPECT_TRUE(p.Logged(u"SectorSize: " + IntToStr(small)));
  }
  // Sectors beyond any disk's (1 MiB, 4 GiB) are nonsense: no sectors to
  // choose, rather than blocks the size of the memory.
  for (std::uint32_t absurd : {1u << 20, 0xFFFFFFFFu}) {
    d.bytesPerSector = absurd;
    EXPECT_EQ(Probe(d).info.LBA, 0) << absurd;
  }
  // A size that is not whole sectors keeps a tail no sector reaches.
  d.bytesPerSector = 520;
  Probe odd(d);
  EXPECT_EQ(odd.info.LBA, 961745888);
  EXPECT_EQ(odd.info.UnaddressableBytes, 256);
  EXPECT_EQ(big.info.UnaddressableBytes, 0);
}

TEST(StorageProbe, TransferLimitIsCappedAt250Sectors) {
  VirtualDrive d = AtaDisk();
  for (auto [length, sectors] : {std::pair{65536u, 128}, {131072u, 250}, {0u, 0}, {127999u, 249}}) {
    d.maxTransferLength = length;
    EXPECT_EQ(Probe(d).info.MaximumSectorsTransfer, sectors) << length;
  }
}

TEST(StorageProbe, AdapterFailureGivesTheDefaults) {
  for (std::uint32_t error : {ERROR_INVALID_FUNCTION, ERROR_SUCCESS}) {
    VirtualDrive d = AtaDisk();
    d.maxTransferLength = 131072;
    d.requestFaults.push_back(FailProperty(layout::StorageAdapterProperty, error));
    Probe p(d);
    EXPECT_EQ(p.status, 0);
    EXPECT_TRUE(p.Logged(u"Skipped 0"));
    EXPECT_EQ(p.info.BusType, BusTypeFlash);
    EXPECT_EQ(p.info.MaximumSectorsTransfer, 128);
    EXPECT_FALSE(p.Sent(SMART_GET_VERSION));

    d.bytesPerSector = 4096;
    EXPECT_EQ(Probe(d).info.MaximumSectorsTransfer, 16);
  }
}

TEST(StorageProbe, GeometryOrLengthFailureLeavesTheRecordAlone) {
  TIdentifyDeviceData before;
  before.Model = u"earlier";

  VirtualDrive d = AtaDisk();
  d.requestFaults.push_back(FailRequest(IOCTL_DISK_GET_DRIVE_GEOMETRY, ERROR_NOT_READY));
  Probe geometry(d);
  EXPECT_EQ(geometry.status, -1);
  EXPECT_EQ(geometry.Lines(), std::vector<std::u16string>{u"Getting geometry..."});

  d = AtaDisk();
  d.requestFaults.push_back(FailRequest(IOCTL_DISK_GET_LENGTH_INFO, ERROR_NOT_READY));
  Probe length(d);
  length.info = before;
  EXPECT_EQ(ProbeStorageDevice(length.t.program, length.handle, length.info), -1);
  EXPECT_EQ(length.info, before);
  EXPECT_EQ(length.Lines().back(), u"Error accessing device: The device is not ready");
}

TEST(StorageProbe, DevicePropertyFailureEndsTheProgram) {
  VirtualDrive d = AtaDisk();
  d.requestFaults.push_back(FailProperty(layout::StorageDeviceProperty, ERROR_ACCESS_DENIED));
  TestProgram t(test::MachineWith(d));
  const Handle h = t.os.CreateFileW(u"\\\\.\\PhysicalDrive0", GENERIC_READ, 3, OPEN_EXISTING, 0);
  TIdentifyDeviceData info;
  try {
    ProbeStorageDevice(t.program, h, info);
    FAIL() << "the probe returned";
  } catch (const ProgramHalted& halted) {
    EXPECT_EQ(halted.exitCode, 0);
  }
  ASSERT_EQ(t.halt.messages.size(), 1u);
  EXPECT_EQ(t.halt.messages[0].text, u"Error accessing device: Access is denied");
  EXPECT_EQ(t.halt.messages[0].caption, u"Error");
  EXPECT_EQ(info, TIdentifyDeviceData{});
}

TEST(StorageProbe, FalseWithCodeZeroCarriesOnWithTheZeroedReply) {
  VirtualDrive d = AtaDisk();
  d.requestFaults.push_back(FailRequest(IOCTL_DISK_GET_DRIVE_GEOMETRY, 0));
  d.requestFaults.push_back(FailProperty(layout::StorageDeviceProperty, 0));
  Probe p(d);
  ASSERT_EQ(p.status, 0);
  const auto lines = p.Lines();
  EXPECT_EQ(lines[1], u"Done 0");
  EXPECT_EQ(lines[2], u"Sector size = 0");
  EXPECT_EQ(lines[9], u"Done 0");
  EXPECT_EQ(p.info.LBA, 0);
  EXPECT_EQ(p.info.SectorSize, 512);
  EXPECT_EQ(p.info.Model, u"Storage Device");
  EXPECT_EQ(p.info.FW, u"0000");
  EXPECT_EQ(p.info.SN, u"000000");

  d = AtaDisk();
  d.requestFaults.push_back(FailRequest(IOCTL_DISK_GET_LENGTH_INFO, 0));
  Probe length(d);
  EXPECT_EQ(length.status, 0);
  EXPECT_EQ(length.info.LBA, 0);
  EXPECT_TRUE(length.Logged(u"Media \"Length\" = 0"));
}

TEST(StorageProbe, SlavePositionIsAskedOnlyOfAtaAndSataDrives) {
  VirtualDrive d = AtaDisk();
  d.busType = 7;
  d.ata.ideDeviceMap = 0x02;
  Probe usb(d);
  EXPECT_EQ(usb.info.IsIDESlave, 0);
  EXPECT_FALSE(usb.Sent(SMART_GET_VERSION));
  EXPECT_FALSE(usb.Sent(IOCTL_SCSI_GET_ADDRESS));

  for (std::uint8_t bus : {3, 11}) {
    d.busType = bus;
    for (auto [map, slave] : {std::pair<std::uint8_t, int>{0x01, 0}, {0x02, 1}, {0x80, 1}, {0x55, 0}}) {
      d.ata.ideDeviceMap = map;
      EXPECT_EQ(Probe(d).info.IsIDESlave, slave) << int(bus) << " " << int(map);
    }
  }
}

TEST(StorageProbe, WithoutTheVersionRequestTheDriveIsMaster) {
  VirtualDrive d = AtaDisk();
  d.ata.versionAnswers = false;
  d.ata.scsiTargetId = 1;
  Probe p(d);
  EXPECT_EQ(p.info.IsIDESlave, 0);
  const auto& r = p.t.os.Requests();
  ASSERT_EQ(r.back().controlCode, IOCTL_SCSI_GET_ADDRESS);
  EXPECT_EQ(r.back().inLength, 0u);
  EXPECT_EQ(r.back().outLength, 512u);
}

TEST(StorageProbe, WritesNothingWithoutDebugMode) {
  TestProgram t(test::MachineWith(AtaDisk()));
  const Handle h = t.os.CreateFileW(u"\\\\.\\PhysicalDrive0", GENERIC_READ, 3, OPEN_EXISTING, 0);
  TIdentifyDeviceData info;
  EXPECT_EQ(ProbeStorageDevice(t.program, h, info), 0);
  EXPECT_TRUE(t.panes.debugLog.empty());
  EXPECT_EQ(t.clock.reads, 0);
}

}  // namespace
}  // namespace orvella
