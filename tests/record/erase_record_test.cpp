// The record of an erase: the medium, the method, the verification, the
// tool, the machine, the people and the seal, for full and quick runs.
#include <gtest/gtest.h>

#include "core/text.h"
#include "record/erase_record.h"
#include "record/record_digest.h"
#include "support/test_program.h"

namespace orvella::test {
namespace {

struct RecordRig {
  RecordRig() : t(Machine()) {
    TDeviceTable& entry = t.program.DeviceTables[1];
    entry.DevicePath = u"\\\\.\\PhysicalDrive0";
    entry.IdentifyData.Model = u"WDC WD5000AAKX-00ERMA0 ";
    entry.IdentifyData.SN = u"  WD-WCC2EAB12345";
    entry.IdentifyData.LBA = 976'773'168;
    entry.IdentifyData.SectorSize = 512;
    entry.IdentifyData.BusType = BusTypeSata;
    t.program.DeviceCount = 1;
    t.drive.SelectedDevice = 1;
    facts.run.outcome = FormatOutcome::Ran;
    facts.run.loop.ending = WriteLoopEnding::Complete;
    facts.run.loop.covered = {Extent{0, 500'107'862'016}};
    facts.frontEnd = "orvella-test";
  }

  static VirtualMachine Machine() {
    VirtualMachine machine;
    machine.host = HostIdentity{u"bench-07", u"Tuxedo Works", u"Bench 7", u""};
    return machine;
  }

  TestProgram t;
  EraseFacts facts;
};

TEST(EraseRecord, NamesTheMediumFromTheCatalogueWhenIdentifyIsSilent) {
  RecordRig rig;
  const Json record = EraseRecord(rig.t.drive, rig.facts);
  EXPECT_EQ(record["media"], Json::parse(R"({"manufacturer": "Western Digital", "model": "WDC WD5000AAKX-00ERMA0",
      "serial": "WD-WCC2EAB12345", "type": "unknown", "bus": "SATA", "capacityBytes": 500107862016,
      "sectorSize": 512, "sectors": 976773168, "unaddressableBytes": 0})"));
  EXPECT_TRUE(record["identify"].is_null());
}

// The catalogue's placeholder for a missing serial number is nobody's: a
// record that carried it would name every serial-less drive at once.
TEST(EraseRecord, ADriveWithoutASerialNumberIsRecordedWithoutOne) {
  RecordRig rig;
  for (const std::u16string placeholder : {u"000000", u"  000000 ", u""}) {
    rig.t.program.DeviceTables[1].IdentifyData.SN = placeholder;
    EXPECT_TRUE(EraseRecord(rig.t.drive, rig.facts)["media"]["serial"].is_null()) << TextToUtf8(placeholder);
  }
}

TEST(EraseRecord, PrefersIdentifyAndItsRotationRate) {
  RecordRig rig;
  rig.facts.run.identification.outcome = IdentifyOutcome::Identified;
  rig.facts.run.identification.passport.name = u"Samsung SSD 870 EVO 500GB";
  rig.facts.run.identification.passport.sn = u"S62ANJ0R123456";
  rig.facts.run.identification.rotationRate = 1;
  const Json media = EraseRecord(rig.t.drive, rig.facts)["media"];
  EXPECT_EQ(media["manufacturer"], "Samsung");
  EXPECT_EQ(media["model"], "Samsung SSD 870 EVO 500GB");
  EXPECT_EQ(media["serial"], "S62ANJ0R123456");
  EXPECT_EQ(media["type"], "SSD");
}

TEST(EraseRecord, ToolHostPeopleAndMethodOfAFullErase) {
  RecordRig rig;
  rig.facts.run.choices.operatorName = "Ada Lovelace";
  rig.facts.run.choices.assetTag = "IT-004711";
  const Json record = EraseRecord(rig.t.drive, rig.facts);
  EXPECT_EQ(record["tool"], Json::parse(R"({"name": "Orvella", "version": "4.30", "frontEnd": "orvella-test"})"));
  EXPECT_EQ(record["host"],
            Json::parse(R"({"name": "bench-07", "vendor": "Tuxedo Works", "model": "Bench 7", "serial": null})"));
  EXPECT_EQ(record["operator"], "Ada Lovelace");
  EXPECT_EQ(record["asset"], "IT-004711");
  EXPECT_EQ(record["sanitization"]["method"], "Clear: overwrite with zeros, 1 pass");
  EXPECT_EQ(record["sanitization"]["category"], "Clear");
  EXPECT_EQ(record["result"], "complete");
  EXPECT_FALSE(record.contains("exitCode"));
  EXPECT_EQ(record["bytesWritten"], 500'107'862'016);
}

TEST(EraseRecord, AQuickWipeIsNoSanitizationAndPeopleMayBeUnnamed) {
  RecordRig rig;
  rig.facts.run.choices.quickWipe = true;
  rig.facts.exitCode = 0;
  const Json record = EraseRecord(rig.t.drive, rig.facts);
  EXPECT_EQ(record["mode"], "quick");
  EXPECT_EQ(record["sanitization"]["method"], "quick wipe (not a sanitization)");
  EXPECT_TRUE(record["sanitization"]["category"].is_null());
  EXPECT_TRUE(record["operator"].is_null());
  EXPECT_TRUE(record["asset"].is_null());
  EXPECT_EQ(record["exitCode"], 0);
}

TEST(EraseRecord, VerificationNotRunOrAsFound) {
  RecordRig rig;
  EXPECT_EQ(EraseRecord(rig.t.drive, rig.facts)["verification"],
            Json::parse(R"({"method": "off", "result": "not-run", "bytesPlanned": 0, "bytesRead": 0,
                "mismatches": [], "unread": []})"));

  VerificationOutcome& v = rig.facts.run.loop.verification;
  v = {VerifyMethod::Sample, VerifyResult::Mismatch, 42, 1000, 97'693, 2002, 50'010'786'816, 50'010'786'816,
       {Extent{4096, 8192}}, {}, {}};
  EXPECT_EQ(EraseRecord(rig.t.drive, rig.facts)["verification"],
            Json::parse(R"({"method": "sample", "result": "mismatch", "bytesPlanned": 50010786816,
                "bytesRead": 50010786816, "mismatches": [{"from": 4096, "to": 8192}], "unread": [],
                "plan": {"standard": "NIST SP 800-88 r1, 4.7.3", "generator": "splitmix64", "seed": 42,
                         "subsections": 1000, "sampleSectors": 97693, "samples": 2002}})"));
}

// Only a complete run over the whole drive, read back clean in full, on a
// drive that hides nothing, proves an erase.
TEST(EraseRecord, ErasureProvenOnlyForAWholeDriveReadBackCleanWithNothingHidden) {
  RecordRig rig;
  FormatRun& run = rig.facts.run;
  run.loop.wholeDrive = true;
  run.loop.verification.method = VerifyMethod::Full;
  run.loop.verification.result = VerifyResult::Passed;
  EXPECT_TRUE(ErasureProven(run));
  EXPECT_EQ(EraseRecord(rig.t.drive, rig.facts)["erasureProven"], true);
  EXPECT_EQ(EraseRecord(rig.t.drive, rig.facts)["verified"], "full");

  // A sample that held zeros cannot see a sector that kept its data: the
  // drive was erased and checked, but it is not proven.
  run.loop.verification.method = VerifyMethod::Sample;
  EXPECT_TRUE(ErasedAndReadBack(run));
  EXPECT_FALSE(ErasureProven(run));
  EXPECT_EQ(EraseRecord(rig.t.drive, rig.facts)["erasureProven"], false);
  EXPECT_EQ(EraseRecord(rig.t.drive, rig.facts)["verified"], "sample");
  run.loop.verification.result = VerifyResult::NotRun;
  EXPECT_EQ(EraseRecord(rig.t.drive, rig.facts)["verified"], "none");
  run.loop.verification.method = VerifyMethod::Full;
  run.loop.verification.result = VerifyResult::Passed;

  run.hiddenAreas = HiddenAreas{};
  EXPECT_TRUE(ErasureProven(run));  // asked, nothing hidden
  run.hiddenAreas->accessibleSectors = 1000;
  run.hiddenAreas->nativeSectors = 1008;
  EXPECT_FALSE(ErasureProven(run));
  EXPECT_EQ(EraseRecord(rig.t.drive, rig.facts)["hiddenAreas"]["hpaHiddenSectors"], 8);
  run.hiddenAreas.reset();

  run.loop.wholeDrive = false;  // a quick wipe of a large drive
  EXPECT_FALSE(ErasureProven(run));
  run.loop.wholeDrive = true;
  for (const VerifyResult found : {VerifyResult::NotRun, VerifyResult::Mismatch, VerifyResult::Unreadable}) {
    run.loop.verification.result = found;
    EXPECT_FALSE(ErasureProven(run)) << VerifyResultName(found);
  }
  run.loop.verification.result = VerifyResult::Passed;
  run.loop.ending = WriteLoopEnding::NotComplete;
  EXPECT_FALSE(ErasureProven(run));
  EXPECT_EQ(EraseRecord(rig.t.drive, rig.facts)["erasureProven"], false);
}

TEST(EraseRecord, EndsWithItsSeal) {
  RecordRig rig;
  rig.facts.run.errorLines = {u"Format Error occurred at offset 0 - 1117 - Device I/O error"};
  const Json record = EraseRecord(rig.t.drive, rig.facts);
  EXPECT_EQ((--record.end()).key(), "sha256");
  EXPECT_TRUE(ReadSealedRecord(RecordText(record)).record.has_value());
}

}  // namespace
}  // namespace orvella::test
