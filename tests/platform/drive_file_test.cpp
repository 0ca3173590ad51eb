#include "platform/virtual/drive_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/os.h"

namespace orvella {
namespace {

VirtualDrive OnlyDrive(const std::string& driveJson) {
  const VirtualMachine m = ParseDriveDescription(R"({"drives": [)" + driveJson + "]}");
  EXPECT_EQ(m.drives.size(), 1u);
  return m.drives.at(0);
}

TEST(DriveFile, ReadsEveryFieldOfADrive) {
  const VirtualMachine m = ParseDriveDescription(R"({
    "comment": "every field",
    "driveStringsFail": true,
    "drives": [{
      "number": 7, "openError": "ERROR_ACCESS_DENIED", "exclusiveOpenError": 32,
      "bytesPerSector": 4096, "length": {"sectors": 1000}, "maxTransferLength": "0x10000",
      "busType": "BusTypeSata", "vendor": "V\u00b5", "product": "P", "revision": "R", "serial": "S",
      "removable": true, "deviceDescriptorSize": 45,
      "ata": {
        "versionAnswers": false, "ideDeviceMap": "0xAA", "receiveAnswers": false, "sendAnswers": false,
        "miniportAnswers": true, "scsiAddressAnswers": false, "scsiTargetId": 1,
        "identify": {"model": "M", "serial": "SN", "firmware": "FW", "words": {"83": "0x7400", "255": 1}},
        "smart": {"enabled": false, "attributes": [{"id": 194, "flags": 34, "current": 107, "worst": 96,
                                                     "raw": 281474976710655}]}
      },
      "requestFaults": [
        {"controlCode": "IOCTL_STORAGE_QUERY_PROPERTY", "propertyId": "StorageAdapterProperty", "error": 0},
        {"controlCode": "0x7C088", "ataCommand": "0xB0", "ataFeature": "0xD0", "replyBytes": 520}
      ],
      "writeProtected": true,
      "writeErrors": [{"from": 1024, "to": {"sectors": 2}, "error": "ERROR_NOT_READY"}, {"from": 0, "to": 1}],
      "lostWrites": [{"from": 4096, "to": 8192}],
      "readErrors": [{"from": 0, "to": 512, "error": "ERROR_SEM_TIMEOUT"}],
      "seekErrors": [{"from": {"sectors": 10}, "to": {"sectors": 11}}],
      "unplugAt": {"sectors": 500}, "unplugError": 21, "flushError": "ERROR_IO_DEVICE",
      "speedLimitBytesPerSecond": 2.5e6,
      "volumes": [{"name": "C:", "deviceNumber": 9, "deviceType": 2, "partition": 3, "openError": 1,
                   "queryError": 2, "readOpenError": 5, "lockError": 19, "dismountError": 21,
                   "extendedIoError": 50}]
    }]})");
  EXPECT_TRUE(m.driveStringsFail);
  ASSERT_EQ(m.drives.size(), 1u);
  const VirtualDrive& d = m.drives[0];
  EXPECT_EQ(d.number, 7u);
  EXPECT_EQ(d.openError, 5u);
  EXPECT_EQ(d.exclusiveOpenError, 32u);
  EXPECT_EQ(d.bytesPerSector, 4096u);
  EXPECT_EQ(d.length, 4096000);
  EXPECT_EQ(d.maxTransferLength, 65536u);
  EXPECT_EQ(d.busType, 11);
  EXPECT_EQ(d.vendor, std::string("V\xB5"));
  EXPECT_EQ(d.product, "P");
  EXPECT_EQ(d.revision, "R");
  EXPECT_EQ(d.serial, "S");
  EXPECT_TRUE(d.removable);
  EXPECT_EQ(d.deviceDescriptorSize, 45u);

  EXPECT_FALSE(d.ata.versionAnswers);
  EXPECT_EQ(d.ata.ideDeviceMap, 0xAA);
  EXPECT_FALSE(d.ata.receiveAnswers);
  EXPECT_FALSE(d.ata.sendAnswers);
  EXPECT_TRUE(d.ata.miniportAnswers);
  EXPECT_FALSE(d.ata.scsiAddressAnswers);
  EXPECT_EQ(d.ata.scsiTargetId, 1);
  ASSERT_TRUE(d.ata.identify);
  EXPECT_EQ(d.ata.identify->model, "M");
  EXPECT_EQ(d.ata.identify->serial, "SN");
  EXPECT_EQ(d.ata.identify->firmware, "FW");
  EXPECT_EQ(d.ata.identify->words, (std::map<int, std::uint16_t>{{83, 0x7400}, {255, 1}}));
  ASSERT_TRUE(d.ata.smart);
  EXPECT_FALSE(d.ata.smart->enabled);
  ASSERT_EQ(d.ata.smart->attributes.size(), 1u);
  const VirtualSmartAttribute& a = d.ata.smart->attributes[0];
  EXPECT_EQ(a.id, 194);
  EXPECT_EQ(a.flags, 34);
  EXPECT_EQ(a.current, 107);
  EXPECT_EQ(a.worst, 96);
  EXPECT_EQ(a.raw, 281474976710655u);

  ASSERT_EQ(d.requestFaults.size(), 2u);
  EXPECT_EQ(d.requestFaults[0].controlCode, IOCTL_STORAGE_QUERY_PROPERTY);
  EXPECT_EQ(d.requestFaults[0].propertyId, 1u);
  EXPECT_EQ(d.requestFaults[0].error, 0u);
  EXPECT_FALSE(d.requestFaults[0].ataCommand);
  EXPECT_FALSE(d.requestFaults[0].replyBytes);
  EXPECT_EQ(d.requestFaults[1].controlCode, SMART_RCV_DRIVE_DATA);
  EXPECT_EQ(d.requestFaults[1].ataCommand, 0xB0);
  EXPECT_EQ(d.requestFaults[1].ataFeature, 0xD0);
  EXPECT_EQ(d.requestFaults[1].error, 1u);
  EXPECT_EQ(d.requestFaults[1].replyBytes, 520u);

  EXPECT_TRUE(d.writeProtected);
  ASSERT_EQ(d.lostWrites.size(), 1u);
  EXPECT_EQ(d.lostWrites[0].to, 8192);
  ASSERT_EQ(d.readErrors.size(), 1u);
  EXPECT_EQ(d.readErrors[0].second, ERROR_SEM_TIMEOUT);
  ASSERT_EQ(d.writeErrors.size(), 2u);
  EXPECT_EQ(d.writeErrors[0].first.from, 1024);
  EXPECT_EQ(d.writeErrors[0].first.to, 8192);
  EXPECT_EQ(d.writeErrors[0].second, ERROR_NOT_READY);
  EXPECT_EQ(d.writeErrors[1].second, ERROR_IO_DEVICE);
  ASSERT_EQ(d.seekErrors.size(), 1u);
  EXPECT_EQ(d.seekErrors[0].from, 40960);
  EXPECT_EQ(d.unplugAt, 2048000);
  EXPECT_EQ(d.unplugError, 21u);
  EXPECT_EQ(d.flushError, ERROR_IO_DEVICE);
  EXPECT_EQ(d.speedLimitBytesPerSecond, 2.5e6);

  ASSERT_EQ(m.volumes.size(), 1u);
  const VirtualVolume& v = m.volumes[0];
  EXPECT_EQ(v.name, "C:");
  EXPECT_EQ(v.deviceNumber, 9u);
  EXPECT_EQ(v.deviceType, 2u);
  EXPECT_EQ(v.partition, 3u);
  EXPECT_EQ(v.openError, 1u);
  EXPECT_EQ(v.queryError, 2u);
  EXPECT_EQ(v.readOpenError, 5u);
  EXPECT_EQ(v.lockError, 19u);
  EXPECT_EQ(v.dismountError, 21u);
  EXPECT_EQ(v.extendedIoError, 50u);
}

TEST(DriveFile, ReadsThresholdsHiddenAreasAndTheNvmeLog) {
  const VirtualDrive d = OnlyDrive(R"({
    "number": 0, "length": 512, "busType": "BusTypeNvme",
    "ata": {"taskFileAnswers": false, "nativeSectors": 1000, "factorySectors": "0x500",
            "smart": {"attributes": [{"id": 5, "threshold": 10}]}},
    "nvme": {"criticalWarning": "0x04", "temperatureKelvin": 310, "availableSpare": 99,
             "availableSpareThreshold": 5, "percentageUsed": 120, "dataUnitsRead": 1, "dataUnitsWritten": 2,
             "hostReadCommands": 3, "hostWriteCommands": 4, "controllerBusyMinutes": 5, "powerCycles": 6,
             "powerOnHours": 7, "unsafeShutdowns": 8, "mediaErrors": 9, "errorLogEntries": 10,
             "warningTemperatureMinutes": 11, "criticalTemperatureMinutes": 12}})");
  EXPECT_EQ(d.busType, 17);
  EXPECT_FALSE(d.ata.taskFileAnswers);
  EXPECT_EQ(d.ata.nativeSectors, 1000u);
  EXPECT_EQ(d.ata.factorySectors, 0x500u);
  EXPECT_EQ(d.ata.smart->attributes.at(0).threshold, 10);
  ASSERT_TRUE(d.nvme.has_value());
  EXPECT_EQ(d.nvme->criticalWarning, 4);
  EXPECT_EQ(d.nvme->temperatureKelvin, 310);
  EXPECT_EQ(d.nvme->percentageUsed, 120);
  EXPECT_EQ(d.nvme->errorLogEntries, 10u);
  EXPECT_EQ(d.nvme->criticalTemperatureMinutes, 12u);

  const VirtualDrive plain = OnlyDrive(R"({"number": 0, "length": 512})");
  EXPECT_FALSE(plain.nvme.has_value());
  EXPECT_TRUE(plain.ata.taskFileAnswers);
  EXPECT_FALSE(plain.ata.nativeSectors.has_value());
  EXPECT_THROW(OnlyDrive(R"({"number": 0, "length": 512, "nvme": {"spare": 1}})"), DriveFileError);
}

TEST(DriveFile, ReadsTheDrivesOwnEraseAndRefusesUnknownChoices) {
  const VirtualDrive d = OnlyDrive(R"({"number": 0, "length": 512, "nvme": {"warningThresholdKelvin": 353},
    "ownErase": {"sanitizeBlock": true, "sanitizeCrypto": true, "formatNvm": true, "formatCrypto": true,
                 "acceptsUnclaimedCryptoFormat": true, "sanitizeFrozen": true, "state": "failed",
                 "milliseconds": 1500, "blockEraseReads": "ones", "lie": "unplugged-half-way"}})");
  ASSERT_TRUE(d.ownErase.has_value());
  const VirtualOwnErase& e = *d.ownErase;
  EXPECT_TRUE(e.sanitizeBlock && e.sanitizeCrypto && e.formatNvm && e.formatCrypto && e.acceptsUnclaimedCryptoFormat);
  EXPECT_FALSE(e.sanitizeOverwrite);
  EXPECT_TRUE(e.sanitizeFrozen);
  EXPECT_EQ(e.state, VirtualOwnErase::State::Failed);
  EXPECT_EQ(e.milliseconds, 1500);
  EXPECT_EQ(e.blockEraseFill, VirtualOwnErase::Fill::Ones);
  EXPECT_EQ(e.lie, VirtualOwnErase::Lie::UnpluggedHalfWay);
  EXPECT_EQ(d.nvme->warningThresholdKelvin, 353);
  EXPECT_FALSE(OnlyDrive(R"({"number": 0, "length": 512})").ownErase.has_value());
  EXPECT_THROW(OnlyDrive(R"({"number": 0, "length": 512, "ownErase": {"lie": "sometimes"}})"), DriveFileError);
  EXPECT_THROW(OnlyDrive(R"({"number": 0, "length": 512, "ownErase": {"state": 2}})"), DriveFileError);
  EXPECT_THROW(OnlyDrive(R"({"number": 0, "length": 512, "ownErase": {"milliseconds": -1}})"), DriveFileError);
  EXPECT_THROW(OnlyDrive(R"({"number": 0, "length": 512, "ownErase": {"sanitise": true}})"), DriveFileError);
}

TEST(DriveFile, AbsentFieldsKeepTheirDefaults) {
  VirtualDrive d = OnlyDrive(R"({"number": 2, "length": 0, "vendor": null})");
  VirtualDrive expected;
  expected.number = 2;
  EXPECT_EQ(d.bytesPerSector, expected.bytesPerSector);
  EXPECT_EQ(d.maxTransferLength, expected.maxTransferLength);
  EXPECT_EQ(d.busType, expected.busType);
  EXPECT_FALSE(d.vendor);
  EXPECT_FALSE(d.serial);
  EXPECT_FALSE(d.deviceDescriptorSize);
  EXPECT_TRUE(d.ata.versionAnswers);
  EXPECT_EQ(d.ata.ideDeviceMap, expected.ata.ideDeviceMap);
  EXPECT_FALSE(d.ata.identify);
  EXPECT_FALSE(d.ata.smart);
  EXPECT_FALSE(d.unplugAt);
  EXPECT_EQ(d.unplugError, expected.unplugError);
  EXPECT_EQ(d.speedLimitBytesPerSecond, 0);
  EXPECT_TRUE(d.requestFaults.empty());

  // An empty "smart" object is a page without attributes, S.M.A.R.T. on.
  d = OnlyDrive(R"({"number": 0, "length": 0, "ata": {"smart": {}}})");
  ASSERT_TRUE(d.ata.smart);
  EXPECT_TRUE(d.ata.smart->enabled);
  EXPECT_TRUE(d.ata.smart->attributes.empty());
}

TEST(DriveFile, VolumesLiveOnTheirDriveUnlessToldOtherwise) {
  const VirtualMachine m = ParseDriveDescription(R"({"drives": [
      {"number": 3, "length": 0, "volumes": [{"name": "C:"}, {"name": "D:", "deviceNumber": 8}]},
      {"number": 5, "length": 0, "volumes": [{"name": "E:"}]}]})");
  ASSERT_EQ(m.volumes.size(), 3u);
  EXPECT_EQ(m.volumes[0].deviceNumber, 3u);
  EXPECT_EQ(m.volumes[1].deviceNumber, 8u);
  EXPECT_EQ(m.volumes[2].deviceNumber, 5u);
  EXPECT_EQ(m.volumes[2].deviceType, 7u);
}

TEST(DriveFile, VolumeHoldersAreReadAndTheirAbsenceMeansUnknown) {
  const VirtualMachine m = ParseDriveDescription(R"({"drives": [{"number": 1, "length": 0, "volumes": [
      {"name": "C:", "holders": [{"pid": 4242, "command": "sleep"}, {"pid": 7, "command": "bash"}]},
      {"name": "D:", "holders": []}, {"name": "E:"}]}]})");
  ASSERT_EQ(m.volumes.size(), 3u);
  EXPECT_EQ(m.volumes[0].holders, (std::vector<VolumeHolder>{{4242, u"sleep"}, {7, u"bash"}}));
  EXPECT_EQ(m.volumes[1].holders, std::vector<VolumeHolder>{});
  EXPECT_FALSE(m.volumes[2].holders.has_value());
}

TEST(DriveFile, TextsAreBytes) {
  const VirtualDrive d = OnlyDrive(
      R"({"number": 0, "length": 0, "serial": "A\u00ff", "ata": {"identify": {"model": "A\u0000B\u00ff"}}})");
  EXPECT_EQ(d.serial, std::string("A\xFF", 2));
  EXPECT_EQ(d.ata.identify->model, std::string("A\0B\xFF", 4));
}

struct BadFile {
  std::string json;
  std::string message;
};

class DriveFileErrors : public testing::TestWithParam<BadFile> {};

TEST_P(DriveFileErrors, NameThePlaceOfTheFault) {
  try {
    ParseDriveDescription(GetParam().json);
    FAIL() << "accepted: " << GetParam().json;
  } catch (const DriveFileError& e) {
    EXPECT_EQ(e.what(), GetParam().message);
  }
}

std::string Drive(const std::string& fields) { return R"({"drives": [{"number": 0, "length": 512, )" + fields + "}]}"; }

INSTANTIATE_TEST_SUITE_P(
    DriveFile, DriveFileErrors,
    testing::Values(
        BadFile{R"({"drives": [}")",
                "not valid JSON: parse error at line 1, column 13: syntax error while parsing value - "
                "unexpected '}'; expected '[', '{', or a literal"},
        BadFile{"[]", "the description: must be an object {...}"},
        BadFile{Drive(R"("bytesPerSector": 1048576)"),
                "drives[0].bytesPerSector: is larger than any disk's sectors (at most 65536)"},
        BadFile{"{\"drives\": " + std::string(40, '[') + std::string(40, ']') + "}", "nests deeper than 32 levels"},
        BadFile{"{}", "drives: is missing"},
        BadFile{R"({"drives": {}})", "drives: must be a list [...]"},
        BadFile{R"({"drives": [{"length": 0}]})", "drives[0].number: is missing"},
        BadFile{R"({"drives": [{"number": 0}]})", "drives[0].length: is missing"},
        BadFile{R"({"drives": [], "driveStringFail": true})", "driveStringFail: is not a known key (misspelt?)"},
        BadFile{Drive(R"("lenght": 5)"), "drives[0].lenght: is not a known key (misspelt?)"},
        BadFile{R"({"drives": [{"number": 0, "length": -1}]})", "drives[0].length: must not be negative"},
        BadFile{R"({"drives": [{"number": 0, "length": 1.5}]})", "drives[0].length: must be a whole number"},
        BadFile{R"({"drives": [{"number": 0, "length": {"sectors": 9, "x": 1}}]})",
                "drives[0].length.x: is not a known key (misspelt?)"},
        BadFile{R"({"drives": [{"number": 0, "bytesPerSector": 0, "length": {"sectors": 9}}]})",
                "drives[0].length: is given in sectors, but the drive's bytesPerSector is 0"},
        BadFile{R"({"drives": [{"number": "seven", "length": 0}]})",
                "drives[0].number: \"seven\" is not a number (write 42 or \"0x2A\")"},
        BadFile{Drive(R"("busType": 256)"), "drives[0].busType: 256 is out of range (0 to 255)"},
        BadFile{Drive(R"("busType": "Usb")"),
                "drives[0].busType: \"Usb\" is not a number, a \"0x...\" text or one of: BusTypeUnknown, "
                "BusTypeScsi, BusTypeAtapi, BusTypeAta, BusType1394, BusTypeSsa, BusTypeFibre, BusTypeUsb, "
                "BusTypeRAID, BusTypeiScsi, BusTypeSas, BusTypeSata, BusTypeSd, BusTypeMmc, BusTypeVirtual, "
                "BusTypeFileBackedVirtual, BusTypeNvme"},
        BadFile{Drive(R"("vendor": 5)"), "drives[0].vendor: must be a text \"...\""},
        BadFile{Drive(R"("vendor": "\u0100")"),
                "drives[0].vendor: holds a character above code 255 (each character stands for one byte; "
                "write \\u00XX)"},
        BadFile{Drive(R"("ata": {"identify": {"words": {"256": 1}}})"),
                "drives[0].ata.identify.words.256: word numbers are 0 to 255, in decimal"},
        BadFile{Drive(R"("ata": {"identify": {"firmware": "123456789"}})"),
                "drives[0].ata.identify.firmware: is longer than 8 characters"},
        BadFile{Drive(R"("ata": {"smart": {"attributes": [{"id": 9, "raw": 281474976710656}]}})"),
                "drives[0].ata.smart.attributes[0].raw: does not fit in 48 bits"},
        BadFile{Drive(R"("requestFaults": [{"controlCode": "IOCTL_NOTHING"}])"),
                "drives[0].requestFaults[0].controlCode: \"IOCTL_NOTHING\" is not a number, a \"0x...\" text or "
                "one of: IOCTL_DISK_GET_DRIVE_GEOMETRY, IOCTL_DISK_GET_LENGTH_INFO, IOCTL_DISK_UPDATE_PROPERTIES, "
                "IOCTL_STORAGE_QUERY_PROPERTY, IOCTL_STORAGE_GET_DEVICE_NUMBER, SMART_GET_VERSION, "
                "SMART_SEND_DRIVE_COMMAND, SMART_RCV_DRIVE_DATA, IOCTL_SCSI_MINIPORT, IOCTL_SCSI_GET_ADDRESS, "
                "FSCTL_LOCK_VOLUME, FSCTL_UNLOCK_VOLUME, IOCTL_ATA_PASS_THROUGH"},
        BadFile{Drive(R"("writeErrors": [{"from": 4096, "to": 512}])"),
                "drives[0].writeErrors[0].to: must lie after \"from\""},
        BadFile{Drive(R"("speedLimitBytesPerSecond": -1)"), "drives[0].speedLimitBytesPerSecond: must not be negative"},
        BadFile{Drive(R"("volumes": [{"partition": 1}])"),
                "drives[0].volumes[0].name: is missing (a drive name such as \"C:\")"},
        BadFile{R"({"drives": [{"number": 1, "length": 0}, {"number": 1, "length": 0}]})",
                "drives[1].number: drive 1 is described twice"},
        BadFile{R"({"drives": [{"number": 1, "length": 0, "volumes": [{"name": "C:"}]},
                               {"number": 2, "length": 0, "volumes": [{"name": "C:"}]}]})",
                "volume C: is described twice"},
        BadFile{R"({"drives": [{"number": 0, "length": 1e400}]})",
                "not valid JSON: number overflow parsing '1e400'"},
        BadFile{Drive(R"("speedLimitBytesPerSecond": 1e-300)"),
                "drives[0].speedLimitBytesPerSecond: must be 0 (no limit) or at least 1 byte per second"},
        BadFile{Drive(R"("volumes": [{"name": "\u0000"}])"),
                "drives[0].volumes[0].name: must not hold a zero byte or a backslash"},
        BadFile{Drive(R"("volumes": [{"name": "C:\\D:"}])"),
                "drives[0].volumes[0].name: must not hold a zero byte or a backslash"},
        BadFile{Drive(R"("product": "Disk\u0000Hidden")"),
                "drives[0].product: must not hold a zero byte (the device descriptor ends its texts with one)"},
        BadFile{R"({"drives": [{"number": 300, "length": 0}]})",
                "drives[0].number: 300 is out of range (0 to 255)"},
        BadFile{R"({"drives": [{"number": 0, "length": 0, "number": 1}]})",
                "drives[0].number: is given twice in one object"},
        BadFile{Drive(R"("ata": {"smart": {"attributes": [{"id": 1}, {"id": 2, "raw": 1, "raw": 2}]}})"),
                "drives[0].ata.smart.attributes[1].raw: is given twice in one object"},
        BadFile{R"({"drives": [], "drives": []})", "drives: is given twice in one object"},
        BadFile{std::string("{\"drives\": []}\0{\"junk\"", 22),
                "not valid JSON: a zero byte at byte 15 (inside a text, write \\u0000)"}));

// A large machine: every drive number and many volumes, each once.
TEST(DriveFile, ReadsEveryDriveNumberWithManyVolumes) {
  std::string drives;
  for (int n = 0; n < 256; ++n) {
    if (n > 0) drives += ",";
    drives += R"({"number": )" + std::to_string(n) + R"(, "length": 0, "volumes": [)";
    for (int v = 0; v < 64; ++v)
      drives += (v > 0 ? "," : "") + std::string(R"({"name": "V)") + std::to_string(n * 64 + v) + R"("})";
    drives += "]}";
  }
  const VirtualMachine m = ParseDriveDescription(R"({"drives": [)" + drives + "]}");
  EXPECT_EQ(m.volumes.size(), 256u * 64u);
}

TEST(DriveFile, RefusesMoreThan30Attributes) {
  std::string attributes = R"({"id": 1})";
  for (int id = 2; id <= 31; ++id) attributes += R"(, {"id": )" + std::to_string(id) + "}";
  try {
    ParseDriveDescription(Drive(R"("ata": {"smart": {"attributes": [)" + attributes + "]}}"));
    FAIL();
  } catch (const DriveFileError& e) {
    EXPECT_STREQ(e.what(), "drives[0].ata.smart.attributes: holds more than 30 attributes");
  }
}

// The example of the format's documentation must stay a valid file.
TEST(DriveFile, TheDocumentedExampleReads) {
  std::ifstream doc(ORVELLA_SOURCE_DIR "/docs/drive-files.md");
  const std::string text{std::istreambuf_iterator<char>(doc), std::istreambuf_iterator<char>()};
  const auto start = text.find("```json\n");
  ASSERT_NE(start, std::string::npos);
  const auto end = text.find("```", start + 8);
  const VirtualMachine m = ParseDriveDescription(text.substr(start + 8, end - start - 8));
  ASSERT_EQ(m.drives.size(), 2u);
  EXPECT_EQ(m.drives[0].length, 512000000);
  EXPECT_EQ(m.drives[0].writeErrors.at(0).first.from, 2560000);
  EXPECT_EQ(m.volumes.at(0).lockError, ERROR_ACCESS_DENIED);
  EXPECT_EQ(m.drives[1].openError, ERROR_ACCESS_DENIED);
}

class DriveFileOnDisk : public testing::Test {
 protected:
  void TearDown() override { std::filesystem::remove(path); }
  void Write(const std::string& text) { std::ofstream(path) << text; }
  std::string path = (std::filesystem::temp_directory_path() /
                      ("orvella-drive-file-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                       ".json"))
                         .string();
};

TEST_F(DriveFileOnDisk, ReadsAFileAndNamesItInErrors) {
  Write(R"({"drives": [{"number": 4, "length": {"sectors": 8}}]})");
  EXPECT_EQ(ReadDriveFile(path).drives.at(0).length, 4096);

  Write(R"({"drives": [{"number": 4}]})");
  try {
    ReadDriveFile(path);
    FAIL();
  } catch (const DriveFileError& e) {
    EXPECT_EQ(e.what(), path + ": drives[0].length: is missing");
  }
}

TEST_F(DriveFileOnDisk, AMissingFileCannotBeRead) {
  try {
    ReadDriveFile(path);
    FAIL();
  } catch (const DriveFileError& e) {
    EXPECT_EQ(e.what(), path + ": cannot be read: no such file");
  }
}

#ifndef _WIN32  // a Linux device
TEST(DriveFile, ADeviceIsNoDescriptionFile) {
  try {
    ReadDriveFile("/dev/null");
    FAIL();
  } catch (const DriveFileError& e) {
    EXPECT_STREQ(e.what(), "/dev/null: cannot be read: not a regular file (a drive description file is needed)");
  }
}
#endif

}  // namespace
}  // namespace orvella
