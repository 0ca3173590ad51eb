// orvella-certificate: the PDF of a record holds the drive's serial, the
// method, the verification result and the digest; a changed or broken
// record gets no certificate.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "record/record_digest.h"

namespace orvella::test {
namespace {

namespace fs = std::filesystem;

struct ShellRun {
  int exitCode = -1;
  std::string out;  // stdout and stderr together
};

ShellRun Shell(const std::string& command) {
  ShellRun run;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) run.out += buffer;
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

class Certificate : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("orvella-certificate-" + std::to_string(getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  // The record of an erase of a drive of the CLI tests' machine.
  fs::path Record(const std::string& drive, const std::string& more = {}) {
    const fs::path record = folder_ / ("record-" + drive + ".json");
    const ShellRun run = Shell(std::string(ORVELLA_CLI_PATH) + " --drives " + ORVELLA_CLI_DRIVES + " erase " + drive +
                          " --yes --report " + Quoted(record) + " " + more + " > /dev/null");
    EXPECT_TRUE(fs::exists(record)) << run.out;
    return record;
  }

  ShellRun Render(const fs::path& record, const fs::path& pdf) {
    return Shell(std::string(ORVELLA_CERTIFICATE_PATH) + " " + Quoted(record) + " " + Quoted(pdf));
  }

  std::string PdfText(const fs::path& pdf) { return Shell("pdftotext " + Quoted(pdf) + " -").out; }

  static std::string Read(const fs::path& file) {
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path folder_;
};

TEST_F(Certificate, ThePageHoldsSerialMethodVerificationAndDigest) {
  const fs::path record = Record("0", "--operator 'Ada Lovelace' --asset IT-004711");
  const fs::path pdf = folder_ / "certificate.pdf";
  const ShellRun run = Render(record, pdf);
  ASSERT_EQ(run.exitCode, 0) << run.out;
  const Json sealed = Json::parse(Read(record));
  const std::string text = PdfText(pdf);
  EXPECT_NE(text.find("Media Sanitization Record"), std::string::npos) << text;
  EXPECT_NE(text.find("Result: complete"), std::string::npos) << text;
  EXPECT_NE(text.find("SNA1"), std::string::npos) << text;
  EXPECT_NE(text.find("Clear: overwrite with zeros, 1 pass"), std::string::npos) << text;
  EXPECT_NE(text.find("Verification"), std::string::npos) << text;
  EXPECT_NE(text.find("not performed"), std::string::npos) << text;
  EXPECT_NE(text.find(sealed["sha256"].get<std::string>()), std::string::npos) << text;
  EXPECT_NE(text.find("Ada Lovelace"), std::string::npos) << text;
  EXPECT_NE(text.find("IT-004711"), std::string::npos) << text;
  EXPECT_NE(text.find("Signature"), std::string::npos) << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 1);  // pdftotext ends each page with a form feed
}

TEST_F(Certificate, AFailedOrQuickRunSaysSoAtTheTop) {
  const fs::path failed = Record("1");
  ASSERT_EQ(Render(failed, folder_ / "failed.pdf").exitCode, 0);
  const std::string failedText = PdfText(folder_ / "failed.pdf");
  EXPECT_NE(failedText.find("NOT COMPLETE"), std::string::npos) << failedText;
  EXPECT_NE(failedText.find("2 ranges, 196,608 bytes"), std::string::npos) << failedText;

  const fs::path quick = Record("0", "--quick");
  ASSERT_EQ(Render(quick, folder_ / "quick.pdf").exitCode, 0);
  const std::string quickText = PdfText(folder_ / "quick.pdf");
  EXPECT_NE(quickText.find("Quick Wipe Record (not a sanitization)"), std::string::npos) << quickText;
  EXPECT_NE(quickText.find("quick wipe (not a sanitization)"), std::string::npos) << quickText;
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

}  // namespace
}  // namespace orvella::test
