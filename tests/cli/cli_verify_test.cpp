// orvella-cli erase and its read-back on simulated drives: a drive that
// loses writes ends with 3 and the lost range in the record, unless the
// read-back is off; a write-protected card ends at its first block; only a
// verified erase of the whole drive exits 0.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>

#include "cli/cli_process.h"

namespace orvella::test {
namespace {

using Lines = std::vector<std::string>;
using nlohmann::json;

constexpr std::int64_t kDiskBytes = 67'108'864;
constexpr std::int64_t kLostFrom = 41'943'040;

struct Erased {
  CliResult cli;
  json record;
};

Erased Erase(Lines more) {
  Lines args = {"--drives", ORVELLA_CLI_VERIFY_DRIVES, "erase", "--yes", "--json"};
  args.insert(args.end(), more.begin(), more.end());
  Erased e{RunCli(args), {}};
  e.record = json::parse(e.cli.out);
  return e;
}

json Extent(std::int64_t from, std::int64_t to) { return {{"from", from}, {"to", to}}; }

bool Logged(const CliResult& r, const std::string& line) {
  const Lines log = UnstampedLines(r.err);
  return std::find(log.begin(), log.end(), line) != log.end();
}

TEST(CliVerify, AFullReadBackOfADriveThatLosesWritesEndsWithThreeAndRecordsTheLoss) {
  const Erased e = Erase({"0", "--verify", "full"});
  EXPECT_EQ(e.cli.exitCode, 3) << e.cli.err;
  const json& v = e.record["verification"];
  EXPECT_EQ(v["method"], "full");
  EXPECT_EQ(v["result"], "mismatch");
  EXPECT_EQ(v["bytesRead"], kDiskBytes);
  EXPECT_EQ(v["mismatches"], json::array({Extent(kLostFrom, kLostFrom + 262'144)}));
  EXPECT_EQ(e.record["result"], "not-complete");
  EXPECT_EQ(e.record["erasureProven"], false);
  EXPECT_EQ(e.record["flushed"], true);
  EXPECT_TRUE(e.record["failed"].empty());  // the drive claimed every write
  EXPECT_TRUE(Logged(e.cli, "Verification found data at offset 41,943,040    LBA 81,920: 512 sectors (262,144 bytes) "
                            "not zero"));
}

TEST(CliVerify, TheDefaultSampleCatchesALargeLossAndRecordsItsSeed) {
  const Erased e = Erase({"1"});
  EXPECT_EQ(e.cli.exitCode, 3) << e.cli.err;
  const json& v = e.record["verification"];
  EXPECT_EQ(v["method"], "sample");
  EXPECT_EQ(v["result"], "mismatch");
  EXPECT_EQ(v["plan"]["subsections"], 1000);
  EXPECT_EQ(v["plan"]["samples"], 2002);
  EXPECT_TRUE(v["plan"]["seed"].is_number_unsigned());
  EXPECT_GE(v["bytesRead"].get<std::int64_t>() * 10, kDiskBytes);
  EXPECT_FALSE(v["mismatches"].empty());
}

TEST(CliVerify, WithTheReadBackOffTheLossGoesUnseenAndTheExitCodeSaysUnverified) {
  const Erased e = Erase({"0", "--verify", "off"});
  EXPECT_EQ(e.cli.exitCode, 9) << e.cli.err;
  EXPECT_EQ(e.record["result"], "complete");
  EXPECT_EQ(e.record["verification"]["result"], "not-run");
  EXPECT_EQ(e.record["erasureProven"], false);
}

TEST(CliVerify, OnlyAVerifiedEraseOfTheWholeDriveExitsZero) {
  const Erased full = Erase({"3"});
  EXPECT_EQ(full.cli.exitCode, 0) << full.cli.err;
  EXPECT_EQ(full.record["verification"]["result"], "passed");
  EXPECT_EQ(full.record["bytesToWrite"], kDiskBytes);
  // The sample held zeros: erased and checked, but not every byte was read.
  EXPECT_EQ(full.record["verified"], "sample");
  EXPECT_EQ(full.record["erasureProven"], false);
  const Erased proven = Erase({"3", "--verify", "full"});
  EXPECT_EQ(proven.cli.exitCode, 0) << proven.cli.err;
  EXPECT_EQ(proven.record["verified"], "full");
  EXPECT_EQ(proven.record["erasureProven"], true);

  const Erased quick = Erase({"3", "--quick"});
  EXPECT_EQ(quick.cli.exitCode, 9) << quick.cli.err;
  EXPECT_EQ(quick.record["mode"], "quick");
  EXPECT_EQ(quick.record["bytesToWrite"], 20'480'000);
  EXPECT_EQ(quick.record["verification"]["method"], "full");
  EXPECT_EQ(quick.record["verification"]["bytesRead"], 20'480'000);
  const Lines log = UnstampedLines(quick.cli.err);
  const auto complete = std::find(log.begin(), log.end(), "Low-level format is complete.");
  ASSERT_NE(complete, log.end());
  EXPECT_EQ(*(complete + 1),
            "Quick wipe: only the first and the last 10,240,000 bytes were zeroed; the rest of the data is still "
            "readable.");
}

TEST(CliVerify, AWriteProtectedCardEndsAtItsFirstBlock) {
  const Erased e = Erase({"2"});
  EXPECT_EQ(e.cli.exitCode, 3) << e.cli.err;
  EXPECT_EQ(e.record["result"], "write-protected");
  EXPECT_EQ(e.record["errors"], json::array({"Format Error occurred at offset 0:   19 - The media is write protected"}));
  EXPECT_TRUE(e.record["written"].empty());
  EXPECT_EQ(e.record["bytesWritten"], 0);
}

TEST(CliVerify, AnUnknownMethodIsABadCommandLine) {
  const CliResult r = RunCli({"--drives", ORVELLA_CLI_VERIFY_DRIVES, "erase", "3", "--yes", "--verify", "some"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("--verify"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace orvella::test
