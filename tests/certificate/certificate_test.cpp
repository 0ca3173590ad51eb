// orvella-certificate: the PDF of a record holds the drive's serial, the
// method, the verification result and the digest; a changed or broken
// record gets no certificate.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "certificate/pdf_text.h"
#include "record/record_digest.h"

namespace orvella::test {
namespace {

namespace fs = std::filesystem;

class Certificate : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("orvella-certificate-" + std::to_string(getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  // The record of an erase of a drive of the CLI tests' machine (or of
  // their machine whose drives lose writes).
  fs::path Record(const std::string& drive, const std::string& more = {},
                  const std::string& drives = ORVELLA_CLI_DRIVES) {
    const fs::path record = folder_ / ("record-" + std::to_string(++records_) + ".json");
    const ShellRun run = Shell(std::string(ORVELLA_CLI_PATH) + " --drives " + drives + " erase " + drive +
                          " --yes --report " + Quoted(record) + " " + more + " > /dev/null");
    EXPECT_TRUE(fs::exists(record)) << run.out;
    return record;
  }

  // The certificate's text of an erase as Record runs it.
  std::string CertificateText(const std::string& drive, const std::string& more = {},
                              const std::string& drives = ORVELLA_CLI_DRIVES) {
    const fs::path pdf = folder_ / ("certificate-" + std::to_string(records_ + 1) + ".pdf");
    const ShellRun run = Render(Record(drive, more, drives), pdf);
    EXPECT_EQ(run.exitCode, 0) << run.out;
    return PdfText(pdf);
  }

  ShellRun Render(const fs::path& record, const fs::path& pdf) {
    return Shell(std::string(ORVELLA_CERTIFICATE_PATH) + " " + Quoted(record) + " " + Quoted(pdf));
  }

  static std::string Read(const fs::path& file) {
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path folder_;
  int records_ = 0;
};

bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(Certificate, ThePageHoldsSerialMethodVerificationAndDigest) {
  const fs::path record = Record("0", "--operator 'Ada Lovelace' --asset IT-004711");
  const fs::path pdf = folder_ / "certificate.pdf";
  const ShellRun run = Render(record, pdf);
  ASSERT_EQ(run.exitCode, 0) << run.out;
  const Json sealed = Json::parse(Read(record));
  const std::string text = PdfText(pdf);
  // A sample is no proof: the title says so.
  EXPECT_NE(text.find("Overwrite Record (NOT a proven sanitization)"), std::string::npos) << text;
  EXPECT_NE(text.find("Result: written and flushed; no data found in a sample of 10.6% of the drive (the rest was "
                      "not read back)"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("SNA1"), std::string::npos) << text;
  EXPECT_NE(text.find("Clear: overwrite with zeros, 1 pass"), std::string::npos) << text;
  EXPECT_NE(text.find("Verification"), std::string::npos) << text;
  EXPECT_NE(text.find("sample of the drive read back"), std::string::npos) << text;
  EXPECT_NE(text.find(sealed["verification"]["plan"]["seed"].dump()), std::string::npos) << text;
  EXPECT_NE(text.find("passed: everything read back was zeros"), std::string::npos) << text;
  EXPECT_NE(text.find(sealed["sha256"].get<std::string>()), std::string::npos) << text;
  EXPECT_NE(text.find("Ada Lovelace"), std::string::npos) << text;
  EXPECT_NE(text.find("IT-004711"), std::string::npos) << text;
  EXPECT_NE(text.find("Signature"), std::string::npos) << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 1);  // pdftotext ends each page with a form feed
}

TEST_F(Certificate, AFailedRunSaysSoAtTheTopWithTheSectorsNotWritten) {
  const std::string text = CertificateText("1");
  EXPECT_TRUE(Holds(text, "NOT COMPLETE")) << text;
  EXPECT_TRUE(Holds(text, "2 ranges, 66,560 bytes: 131,072 (LBA 256) to 131,584; 327,680 (LBA 640) to 393,728"))
      << text;
  EXPECT_FALSE(Holds(text, "erased")) << text;
}

TEST_F(Certificate, ALostWriteFoundByTheReadBackIsNamedWithItsLba) {
  const std::string text = CertificateText("0", "--verify full", ORVELLA_CLI_VERIFY_DRIVES);
  EXPECT_TRUE(Holds(text, "NOT COMPLETE")) << text;
  EXPECT_TRUE(Holds(text, "full: every written byte read back")) << text;
  EXPECT_TRUE(Holds(text, "1 range, 262,144 bytes: 41,943,040 (LBA 81,920) to 42,205,184")) << text;
  EXPECT_TRUE(Holds(text, "FAILED: data found where zeros were written")) << text;
  EXPECT_FALSE(Holds(text, "erased")) << text;
}

// Neither a quick wipe nor a run that was not read back may read as an
// erase or as verified anywhere on the page.
TEST_F(Certificate, AQuickOrUnverifiedRunClaimsNoErase) {
  const std::string quick = CertificateText("0", "--quick");
  EXPECT_TRUE(Holds(quick, "Quick Wipe Record (not a sanitization)")) << quick;
  EXPECT_TRUE(Holds(quick, "quick wipe (not a sanitization)")) << quick;
  EXPECT_TRUE(Holds(quick, "Result: QUICK WIPE ONLY: 20,480,000 bytes at both ends zeroed; the rest of the data is "
                           "still readable"))
      << quick;
  EXPECT_TRUE(Holds(quick, "20,480,000 of 20,480,000")) << quick;  // bytes written, bytes read back

  const std::string unverified = CertificateText("0", "--verify off");
  EXPECT_TRUE(Holds(unverified, "Result: written and flushed, NOT VERIFIED: nothing was read back")) << unverified;
  EXPECT_TRUE(Holds(unverified, "not performed")) << unverified;
  EXPECT_FALSE(Holds(unverified, "passed")) << unverified;
  for (const std::string& text : {quick, unverified}) {
    EXPECT_FALSE(Holds(text, "erased")) << text;
    EXPECT_FALSE(Holds(text, "verified")) << text;
  }
}

TEST_F(Certificate, SectorsTheDriveHidesAreNamedAsNotWritten) {
  const std::string text = CertificateText("0", {}, ORVELLA_CLI_FACT_DRIVES);
  EXPECT_TRUE(Holds(text, "Result: written and flushed; no data found in a sample of 10.8% of the drive (the rest was not read "
                         "back); 3,072 hidden sectors were NOT written"))
      << text;
  EXPECT_TRUE(Holds(text, "2,048 sectors behind a Host Protected Area, 1,024 sectors behind a Device Configuration "
                          "Overlay; NOT written"))
      << text;
  EXPECT_FALSE(Holds(text, "erased")) << text;
}

// Anything but a complete, proven erase says what happened in its title,
// its mark and its first line, and counts what was not written.
TEST_F(Certificate, ACancelledRunSaysWhereItStoppedAndWhatWasNotWritten) {
  const fs::path record = folder_ / "cancelled.json";
  Shell("timeout -s INT 3 " + std::string(ORVELLA_CLI_PATH) + " --drives " + ORVELLA_CLI_DRIVES +
        " erase 4 --yes --report " + Quoted(record) + " > /dev/null");
  const Json sealed = Json::parse(Read(record));
  ASSERT_EQ(sealed["result"], "cancelled");
  const fs::path pdf = folder_ / "cancelled.pdf";
  ASSERT_EQ(Render(record, pdf).exitCode, 0);
  const std::string text = PdfText(pdf);
  const std::int64_t written = sealed["bytesWritten"];
  const std::string grouped = [](std::int64_t value) {
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
  }(1'000'000'000 - written);
  EXPECT_TRUE(Holds(text, "Erase NOT completed: cancelled")) << text;
  EXPECT_TRUE(Holds(text, "NOT COMPLETED")) << text;
  EXPECT_TRUE(Holds(text, "Result: CANCELLED at byte ")) << text;
  EXPECT_TRUE(Holds(text, "Not written")) << text;
  EXPECT_TRUE(Holds(text, grouped + " bytes")) << text;
  EXPECT_FALSE(Holds(text, "Media Sanitization Record")) << text;
  EXPECT_FALSE(Holds(text, "erased")) << text;
}

TEST_F(Certificate, ARunRefusedForABusyVolumeNamesTheVolumeAndItsHolder) {
  const std::string text = CertificateText("2", "--quick");
  EXPECT_TRUE(Holds(text, "Nothing was erased")) << text;
  EXPECT_TRUE(Holds(text, "NOTHING WAS ERASED")) << text;
  EXPECT_TRUE(Holds(text, "Result: FAILED, nothing was written: volume D: (D:\\) held by process 4242 (editor)"))
      << text;
}

// What auditors file with a certificate: its number, the organisation and
// place, the destination of the medium, the operator's and the validator's
// signatures, and how to check the digest without the program's sources.
TEST_F(Certificate, ThePageHasTheFieldsAnAuditorAsksFor) {
  const fs::path record = Record("0");
  const Json sealed = Json::parse(Read(record));
  const fs::path pdf = folder_ / "fields.pdf";
  ASSERT_EQ(Render(record, pdf).exitCode, 0);
  const std::string text = PdfText(pdf);
  std::string number = "ORV";
  const std::string digest = sealed["sha256"];
  for (std::size_t i = 0; i < 16; i += 4) {
    number += "-";
    for (std::size_t k = i; k < i + 4; ++k) number += static_cast<char>(std::toupper(static_cast<unsigned char>(digest[k])));
  }
  // The captions and their values, as the page's two columns read.
  for (const char* caption : {"Certificate number", "Organisation", "Location", "Destination"})
    EXPECT_TRUE(Holds(text, caption)) << caption << ": " << text;
  EXPECT_TRUE(Holds(text, number)) << text;
  EXPECT_TRUE(Holds(text, "______________________________ ______________________________")) << text;
  EXPECT_TRUE(Holds(text, "[ ] reuse [ ] resale [ ] recycling [ ] destruction [ ] return to owner")) << text;
  EXPECT_TRUE(Holds(text, "Operator - name and title")) << text;
  EXPECT_TRUE(Holds(text, "Validator - name and title")) << text;
  EXPECT_TRUE(Holds(text, "remove its \"sha256\" member")) << text;
  EXPECT_FALSE(Holds(text, "docs/erase-record.md")) << text;
  EXPECT_FALSE(Holds(text, "NOT COMPLETED")) << text;  // a proven erase bears no mark
}

TEST_F(Certificate, AChangedOrBrokenRecordIsRefused) {
  const fs::path record = Record("0");
  std::string text = Read(record);
  text.replace(text.find("\"SNA1\""), 6, "\"SNX1\"");
  const fs::path changed = folder_ / "changed.json";
  std::ofstream(changed) << text;
  ShellRun run = Render(changed, folder_ / "changed.pdf");
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.out.find("does not match"), std::string::npos) << run.out;
  EXPECT_FALSE(fs::exists(folder_ / "changed.pdf"));

  const fs::path broken = folder_ / "broken.json";
  std::ofstream(broken) << text.substr(0, text.size() / 2);
  run = Render(broken, folder_ / "broken.pdf");
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.out.find("not valid JSON"), std::string::npos) << run.out;
  EXPECT_FALSE(fs::exists(folder_ / "broken.pdf"));

  run = Render(folder_ / "missing.json", folder_ / "missing.pdf");
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.out.find("cannot read"), std::string::npos) << run.out;
}

// What an editor does to a record to make it claim a proven erase: the
// claims changed, the documented digest computed again.
void Forge(const fs::path& file) {
  std::ifstream in(file);
  Json record = Json::parse(in);
  record["erasureProven"] = true;
  record["result"] = "complete";
  record["mode"] = "full";
  record["exitCode"] = 0;
  SealRecord(record);
  std::ofstream(file) << RecordText(record);
}

// The page says who vouches for the record; a forged record that was signed
// gets no certificate, one that was not is marked "integrity only".
TEST_F(Certificate, ASignedForgeryIsRefusedAndAnUnsignedRecordIsIntegrityOnly) {
  const fs::path key = folder_ / "key";
  ASSERT_EQ(Shell(std::string(ORVELLA_CLI_PATH) + " keygen " + Quoted(key)).exitCode, 0);
  const fs::path signedRecord = Record("0", "--quick --sign-key " + Quoted(key));
  const std::string fingerprint = Json::parse(Read(signedRecord))["signature"]["fingerprint"];
  ShellRun run = Render(signedRecord, folder_ / "signed.pdf");
  ASSERT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(PdfText(folder_ / "signed.pdf").find("Record: signed by the Ed25519 key with fingerprint " + fingerprint),
            std::string::npos);
  Forge(signedRecord);
  run = Render(signedRecord, folder_ / "forged.pdf");
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.out.find("it was changed after it was signed; no certificate written"), std::string::npos) << run.out;
  EXPECT_FALSE(fs::exists(folder_ / "forged.pdf"));

  const fs::path unsignedRecord = Record("0", "--quick");
  Forge(unsignedRecord);
  run = Render(unsignedRecord, folder_ / "unsigned.pdf");
  ASSERT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(PdfText(folder_ / "unsigned.pdf").find("Record: not signed \u2014 integrity only"), std::string::npos)
      << PdfText(folder_ / "unsigned.pdf");
}

// A record that claims what it cannot, or that has nothing to claim, gets
// no certificate however well it is sealed.
TEST_F(Certificate, AContradictoryOrEmptyRecordIsRefused) {
  Json contradicting = Json::parse(Read(Record("1", "--quick")));
  contradicting["result"] = "complete";  // beside its unwritten ranges
  SealRecord(contradicting);
  std::ofstream(folder_ / "contradicting.json") << RecordText(contradicting);
  ShellRun run = Render(folder_ / "contradicting.json", folder_ / "contradicting.pdf");
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.out.find("the record contradicts itself: it says \"complete\" but lists"), std::string::npos)
      << run.out;

  Json empty = Json::object();
  SealRecord(empty);
  std::ofstream(folder_ / "empty.json") << RecordText(empty);
  run = Render(folder_ / "empty.json", folder_ / "empty.pdf");
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.out.find("the member \"program\" is missing"), std::string::npos) << run.out;

  std::ofstream(folder_ / "deep.json") << std::string(60'000, '[') + std::string(60'000, ']');
  run = Render(folder_ / "deep.json", folder_ / "deep.pdf");
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.out.find("nests deeper than 32 levels"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace orvella::test
