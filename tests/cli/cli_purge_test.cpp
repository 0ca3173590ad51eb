// erase --method and the methods command: the drive's own erase, its
// record, and the refusals that send nothing.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "cli/cli_process.h"

namespace orvella::test {
namespace {

using Lines = std::vector<std::string>;
using nlohmann::json;

CliResult Cli(Lines args) {
  args.insert(args.begin(), {"--drives", ORVELLA_CLI_PURGE_DRIVES});
  return RunCli(args);
}

std::string ReportPath(const char* name) {
  return (std::filesystem::temp_directory_path() / (std::string("orvella-purge-") + name + ".json")).string();
}

json ReadJson(const std::string& path) { return json::parse(std::ifstream(path)); }

TEST(CliPurge, ACryptoEraseIsRecordedAsAPurgeWithItsCommandAndCheckSealed) {
  const std::string path = ReportPath("crypto");
  std::remove(path.c_str());
  const CliResult r = Cli({"erase", "1", "--method", "crypto-erase", "--yes", "--report", path});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const json record = ReadJson(path);
  EXPECT_EQ(record["sanitization"]["category"], "Purge");
  EXPECT_EQ(record["sanitization"]["technique"], "cryptographic erase");
  EXPECT_EQ(record["purge"]["command"],
            "NVMe Sanitize (84h) crypto erase (SANACT 4), command dword 10 00000004h, all namespaces");
  EXPECT_TRUE(record["purge"]["check"]["passed"].get<bool>());
  EXPECT_EQ(record["purge"]["check"]["expect"], "every sector changed");
  EXPECT_FALSE(record["purge"]["polls"].empty());
  EXPECT_EQ(record["result"], "complete");
  // Checked on a sample of sectors, not read back whole: not "proven".
  EXPECT_FALSE(record["erasureProven"].get<bool>());
  EXPECT_EQ(record["verified"], "sample");
  EXPECT_TRUE(record.contains("sha256"));
  EXPECT_EQ(record["bytesWritten"], 0);
}

TEST(CliPurge, ADriveThatChangesNothingEndsNotCompleteWithExit3) {
  const CliResult r = Cli({"erase", "2", "--method", "crypto-erase", "--yes", "--json"});
  EXPECT_EQ(r.exitCode, 3);
  const json record = json::parse(r.out);
  EXPECT_EQ(record["result"], "not-complete");
  EXPECT_FALSE(record["purge"]["check"]["passed"].get<bool>());
  EXPECT_GT(record["purge"]["check"]["unchanged"].get<int>(), 0);
}

TEST(CliPurge, AMethodTheDriveLacksOrAFrozenDriveIsRefusedBeforeAnythingIsAsked) {
  const CliResult missing = Cli({"erase", "1", "--method", "drive-overwrite", "--yes"});
  EXPECT_EQ(missing.exitCode, 8);
  EXPECT_NE(missing.err.find("not erasing: drive-overwrite is not available on this drive: the drive does not offer "
                             "a sanitize overwrite; nothing was sent."),
            std::string::npos)
      << missing.err;
  const CliResult frozen = Cli({"erase", "3", "--method", "block-erase", "--yes"});
  EXPECT_EQ(frozen.exitCode, 8);
  EXPECT_NE(frozen.err.find("frozen"), std::string::npos) << frozen.err;
  EXPECT_EQ(frozen.out.find("Locking device"), std::string::npos);
  const CliResult security = Cli({"erase", "3", "--method", "security-erase", "--yes"});
  EXPECT_EQ(security.exitCode, 8);
  EXPECT_NE(security.err.find("suspend the computer and resume it"), std::string::npos) << security.err;
}

TEST(CliPurge, MethodsListsEachMethodInTextAndJson) {
  const CliResult text = Cli({"methods", "1"});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_NE(text.out.find("crypto-erase             available: Purge, cryptographic erase"), std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("security-erase           not available: SECURITY ERASE UNIT is a command of ATA drives"),
            std::string::npos);
  const CliResult j = Cli({"--json", "methods", "3"});
  ASSERT_EQ(j.exitCode, 0) << j.err;
  const json answer = json::parse(j.out);
  ASSERT_EQ(answer["methods"].size(), 7u);
  EXPECT_EQ(answer["methods"][0]["method"], "zeros");
  EXPECT_TRUE(answer["methods"][0]["available"].get<bool>());
  EXPECT_FALSE(answer["methods"][1]["available"].get<bool>());
  const CliResult details = Cli({"--json", "details", "3"});
  EXPECT_EQ(json::parse(details.out)["methods"].size(), 7u);
}

TEST(CliPurge, TheDemoSsdsCryptoEraseRunsToASealedPurgeRecord) {
  const std::string path = ReportPath("demo");
  std::remove(path.c_str());
  const CliResult r = RunCli({"--demo", "erase", "1", "--method", "crypto-erase", "--yes", "--report", path});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const json record = ReadJson(path);
  EXPECT_EQ(record["sanitization"]["category"], "Purge");
  EXPECT_EQ(record["sanitization"]["technique"], "cryptographic erase");
  EXPECT_EQ(record["purge"]["command"],
            "ATA SANITIZE (B4h) CRYPTO SCRAMBLE EXT (feature 0011h, key 43727970h, failure mode bit set)");
  EXPECT_TRUE(record["purge"]["check"]["passed"].get<bool>());
  EXPECT_EQ(record["purge"]["check"]["unchanged"], 0);
  EXPECT_TRUE(record.contains("sha256"));
}

TEST(CliPurge, TheDemoNvmeDriveListsTheSerialItsControllerReports) {
  const CliResult list = RunCli({"--demo", "--json", "list"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  const json answer = json::parse(list.out);
  std::string listed;
  for (const json& drive : answer["drives"])
    if (drive["drive"] == 6) listed = drive["serial"].get<std::string>();
  EXPECT_EQ(listed, "VNV512B0042X");
  const CliResult details = RunCli({"--demo", "details", "6"});
  EXPECT_NE(details.out.find("Serial Number: VNV512B0042X"), std::string::npos) << details.out;
}

TEST(CliPurge, UnlockTakesOffThePasswordABrokenOffSecurityEraseLeft) {
  const CliResult locked = Cli({"erase", "4", "--method", "security-erase", "--yes"});
  EXPECT_EQ(locked.exitCode, 8) << "a locked drive is refused";
  EXPECT_NE(locked.err.find("orvella-cli unlock"), std::string::npos) << locked.err;
  const CliResult unlock = Cli({"unlock", "4"});
  EXPECT_EQ(unlock.exitCode, 0) << unlock.err;
  EXPECT_NE(unlock.out.find("SECURITY UNLOCK"), std::string::npos) << unlock.out;
  EXPECT_NE(unlock.out.find("Orvella's security password was taken off the drive; it is unlocked"),
            std::string::npos)
      << unlock.out;
  const CliResult theirs = Cli({"--json", "unlock", "5"});
  EXPECT_EQ(theirs.exitCode, 1);
  EXPECT_EQ(json::parse(theirs.out)["result"], "not-ours");
  const CliResult none = Cli({"unlock", "3"});
  EXPECT_EQ(none.exitCode, 0) << none.err;
  EXPECT_NE(none.out.find("no security password is set on the drive; nothing was sent"), std::string::npos);
  const CliResult nvme = Cli({"unlock", "1"});
  EXPECT_EQ(nvme.exitCode, 1);
  EXPECT_NE(nvme.err.find("nothing was sent"), std::string::npos) << nvme.err;
}

// A drive locked by a password refuses reads and writes of its user area:
// its details and methods are still shown (IDENTIFY answers), and even the
// zero overwrite is refused before anything is asked, alone or beside others.
TEST(CliPurge, ALockedDriveIsDescribedButNotOverwritten) {
  const CliResult details = Cli({"details", "4"});
  EXPECT_EQ(details.exitCode, 0) << details.err;
  EXPECT_NE(details.out.find("The drive is currently LOCKED"), std::string::npos) << details.out;
  const CliResult methods = Cli({"methods", "4"});
  EXPECT_NE(methods.out.find("zeros                    not available: the drive is locked by a password; unlock it "
                             "first (orvella-cli unlock)"),
            std::string::npos)
      << methods.out;
  const char kRefusal[] = "not erasing: zeros is not available on this drive: the drive is locked by a password";
  for (const Lines& erase : {Lines{"erase", "4", "--yes"}, Lines{"erase", "3", "4", "--yes"}}) {
    const CliResult refused = Cli(erase);
    EXPECT_EQ(refused.exitCode, 8) << refused.err;
    EXPECT_NE(refused.err.find(kRefusal), std::string::npos) << refused.err;
    EXPECT_EQ(refused.err.find("Formatting"), std::string::npos) << refused.err;
  }
}

TEST(CliPurge, TheDemoHardDiskOffersTheSecurityEraseAndRunsIt) {
  const CliResult methods = RunCli({"--demo", "methods", "0"});
  EXPECT_NE(methods.out.find("security-erase           available"), std::string::npos) << methods.out;
  EXPECT_NE(methods.out.find("security-erase-enhanced  available: Purge"), std::string::npos) << methods.out;
}

TEST(CliPurge, ThenZerosFollowsThePurgeWithTheOverwriteAndRecordsBoth) {
  const CliResult r = Cli({"--json", "erase", "1", "--method", "block-erase", "--then-zeros", "--yes"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const json record = json::parse(r.out);
  EXPECT_EQ(record["purge"]["ending"], "complete");
  EXPECT_TRUE(record["purge"]["check"]["passed"].get<bool>());
  EXPECT_TRUE(record["sanitization"]["thenZeros"].get<bool>());
  EXPECT_EQ(record["sanitization"]["category"], "Purge");
  EXPECT_EQ(record["bytesWritten"], 131072 * 512);
  EXPECT_EQ(record["verification"]["result"], "passed");
  EXPECT_EQ(record["result"], "complete");
  // Without the drive's own erase there is nothing to follow.
  EXPECT_EQ(Cli({"erase", "1", "--then-zeros", "--yes"}).exitCode, 2);
  // A purge that failed its check is not followed by zeros that would hide it.
  const CliResult liar = Cli({"--json", "erase", "2", "--method", "crypto-erase", "--then-zeros", "--yes"});
  EXPECT_EQ(liar.exitCode, 3);
  EXPECT_EQ(json::parse(liar.out)["bytesWritten"], 0);
}

TEST(CliPurge, QuickGoesOnlyWithZeros) {
  EXPECT_EQ(Cli({"erase", "1", "--quick", "--method", "block-erase", "--yes"}).exitCode, 2);
  EXPECT_EQ(Cli({"erase", "1", "--method", "sanitize", "--yes"}).exitCode, 2);
}

}  // namespace
}  // namespace orvella::test
