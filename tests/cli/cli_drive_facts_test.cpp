// orvella-cli on drives laid out as real ones report themselves: the lock
// state, every attribute with its threshold and the drive's verdict, the
// hidden areas (and the erase's warning about them), the NVMe health log.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>

#include "cli/cli_process.h"

namespace orvella::test {
namespace {

using Lines = std::vector<std::string>;
using nlohmann::json;

CliResult Cli(Lines args) {
  args.insert(args.begin(), {"--drives", ORVELLA_CLI_FACT_DRIVES});
  return RunCli(args);
}

bool Contains(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(CliDriveFacts, DetailsTellTheSecurityStateAndTheHiddenAreas) {
  const CliResult r = Cli({"details", "0"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Lines lines = r.OutLines();
  EXPECT_TRUE(Contains(lines, "The device is currently not locked"));
  EXPECT_TRUE(Contains(lines, "Security is enabled (a password is set)"));
  EXPECT_TRUE(Contains(lines, "Security is frozen"));
  EXPECT_TRUE(Contains(lines, "Native maximum: 131,072 sectors"));
  EXPECT_TRUE(Contains(lines, "Sectors hidden by a Host Protected Area: 2048"));
  EXPECT_TRUE(Contains(lines, "Sectors hidden by a Device Configuration Overlay: 1024"));
  // The text keeps its 512-byte sectors; only the JSON reads the sector size.
  EXPECT_TRUE(Contains(lines, "Full device capacity: 66,060,288 bytes"));
  EXPECT_TRUE(Contains(lines, "LBA-48 mode is not supported"));
}

TEST(CliDriveFacts, DetailsJsonCarriesTheTruth) {
  const CliResult r = Cli({"details", "0", "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const json answer = json::parse(r.out);
  const json& p = answer["passport"];
  EXPECT_EQ(p["locked"], false);
  EXPECT_EQ(p["securityEnabled"], true);
  EXPECT_EQ(p["securityFrozen"], true);
  EXPECT_EQ(p["securityLevelMaximum"], true);
  EXPECT_EQ(p["udma6Supported"], true);
  EXPECT_EQ(p["udma6Selected"], true);
  EXPECT_EQ(p["udmaModeSupported"], 5);
  EXPECT_EQ(p["lba48Supported"], false);  // the counts are equal ...
  EXPECT_EQ(p["lba48FeatureSet"], true);  // ... but the feature set is there
  EXPECT_EQ(p["logicalSectorSize"], 4096);
  EXPECT_EQ(p["capacityBytes"], 129024LL * 4096);
  EXPECT_EQ(p["dcoSupported"], true);
  EXPECT_EQ(answer["hiddenAreas"], json({{"accessibleSectors", 129024},
                                         {"nativeMaxMethod", "read-native-max-address-ext"},
                                         {"nativeSectors", 131072},
                                         {"hpaHiddenSectors", 2048},
                                         {"dcoSupported", true},
                                         {"dcoSectors", 132096},
                                         {"dcoHiddenSectors", 1024}}));
}

TEST(CliDriveFacts, SmartShowsEveryAttributeAndItsHealth) {
  const CliResult r = Cli({"smart", "0"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Lines lines = r.OutLines();
  EXPECT_TRUE(Contains(lines, " 241  F1  Unknown                           99       99       21839120385"));
  EXPECT_TRUE(Contains(lines, "Overall health self-assessment: FAILING (a threshold is exceeded)"));
  EXPECT_TRUE(Contains(lines, "Attribute 5 Reallocated sectors count: FAILING NOW (current 5, threshold 10)"));
  EXPECT_TRUE(
      Contains(lines, "Attribute 197 Current pending sectors: failed in the past (worst 3, threshold 10)"));

  const json answer = json::parse(Cli({"smart", "0", "--json"}).out);
  const json& rows = answer["attributes"];
  ASSERT_EQ(rows.size(), 5u);  // the empty slot is passed over, the rest read
  EXPECT_EQ(rows[1]["status"], "failing-now");
  EXPECT_EQ(rows[1]["threshold"], 10);
  EXPECT_EQ(rows[2]["id"], 197);
  EXPECT_EQ(rows[2]["status"], "failed-in-the-past");
  EXPECT_EQ(rows[3]["status"], "ok");
  EXPECT_EQ(rows[4]["name"], "Unknown");
  EXPECT_EQ(rows[4]["commonName"], "Total LBAs written");
  EXPECT_TRUE(rows[0]["commonName"].is_null());
  EXPECT_EQ(answer["health"], json({{"verdict", "failing"}, {"thresholdsRead", true}}));
}

TEST(CliDriveFacts, AnNvmeDriveGivesItsHealthLog) {
  const Lines list = Cli({"list"}).OutLines();
  EXPECT_EQ(list.at(2).substr(0, 13), "1      NVME  ");

  const CliResult r = Cli({"smart", "1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Contains(r.OutLines(), " Power-on hours                    6211"));
  EXPECT_TRUE(Contains(r.OutLines(), "Overall health: PASSED (no critical warning)"));

  const json answer = json::parse(Cli({"smart", "1", "--json"}).out);
  EXPECT_EQ(answer["supported"], true);
  const json& log = answer["nvme"];
  EXPECT_EQ(log["compositeTemperatureKelvin"], 310);
  EXPECT_EQ(log["availableSparePercent"], 100);
  EXPECT_EQ(log["availableSpareThresholdPercent"], 10);
  EXPECT_EQ(log["percentageUsed"], 3);
  EXPECT_EQ(log["dataUnitsRead"], 12345678);
  EXPECT_EQ(log["dataUnitsWritten"], 9876543);
  EXPECT_EQ(log["powerOnHours"], 6211);
  EXPECT_EQ(log["powerCycles"], 1402);
  EXPECT_EQ(log["unsafeShutdowns"], 87);
  EXPECT_EQ(log["mediaErrors"], 0);
  EXPECT_EQ(log["errorLogEntries"], 2015);
  EXPECT_EQ(log["criticalWarnings"], json::array());
  EXPECT_EQ(log["verdict"], "passed");
}

TEST(CliDriveFacts, TheEraseWarnsOfHiddenSectorsBeforeItStarts) {
  const CliResult r = Cli({"erase", "0", "--yes", "--quick", "--json"});
  ASSERT_EQ(r.exitCode, 9) << r.err;
  const json record = json::parse(r.out);
  Lines log;
  for (const json& line : record["log"]) log.push_back(UnstampedLines(line.get<std::string>()).at(0));
  const auto hpa = std::find(log.begin(), log.end(), "2048 sectors hidden by a Host Protected Area will not be erased");
  const auto dco =
      std::find(log.begin(), log.end(), "1024 sectors hidden by a Device Configuration Overlay will not be erased");
  const auto locking = std::find(log.begin(), log.end(), "Locking device... ");
  ASSERT_NE(hpa, log.end());
  ASSERT_NE(dco, log.end());
  EXPECT_LT(hpa, dco);
  EXPECT_LT(dco, locking);
  EXPECT_EQ(*(hpa - 1), "Device capacity: 129,024 sectors");
}

// Sectors the drive hides are not reached by any write: the whole-drive
// erase, read back clean, is still no proven erase.
TEST(CliDriveFacts, HiddenSectorsKeepAVerifiedEraseFromCountingAsProven) {
  const CliResult r = Cli({"erase", "0", "--yes", "--json"});
  ASSERT_EQ(r.exitCode, 9) << r.err;
  const json record = json::parse(r.out);
  EXPECT_EQ(record["result"], "complete");
  EXPECT_EQ(record["verification"]["result"], "passed");
  EXPECT_EQ(record["hiddenAreas"]["hpaHiddenSectors"], 2048);
  EXPECT_EQ(record["hiddenAreas"]["dcoHiddenSectors"], 1024);
  EXPECT_EQ(record["erasureProven"], false);
}

}  // namespace
}  // namespace orvella::test
