// orvella-cli on a loop device over a FUSE file system that misbehaves
// (fuse_drive.h): writes that are lost while reported as done are caught by
// the read-back, and a range that refuses writes is narrowed to exactly the
// sectors that stay unwritten, as the bytes left on the medium show.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "cli/cli_process.h"
#include "platform_linux/fuse_drive.h"

namespace orvella::test {
namespace {

using nlohmann::json;

constexpr std::uint64_t kSize = 40ull << 20;

#define ATTACH_FUSE_OR_SKIP(drive, options)                    \
  std::string whyNot;                                          \
  const auto drive = FuseDrive::Attach((options), whyNot);     \
  if (!drive) GTEST_SKIP() << whyNot

json EraseWithRecord(const FuseDrive& drive, int& exitCode) {
  const std::string report =
      (std::filesystem::temp_directory_path() / ("orvella-cli-fuse-" + std::to_string(getpid()) + ".json")).string();
  const CliResult r = RunCli({"erase", drive.Node(), "--yes", "--verify", "full", "--report", report});
  exitCode = r.exitCode;
  std::ifstream in(report);
  const json record = json::parse(in, nullptr, false);
  std::filesystem::remove(report);
  return record;
}

json AsExtents(const std::vector<FuseDrive::Range>& ranges) {
  json list = json::array();
  for (const auto& [from, to] : ranges) list.push_back({{"from", from}, {"to", to}});
  return list;
}

TEST(CliFuse, WritesLostBelowTheLoopDeviceAreCaughtByTheReadBack) {
  FuseDrive::Options options;
  options.size = kSize;
  options.dropped = {{8ull << 20, (8ull << 20) + (128 << 10)}};
  ATTACH_FUSE_OR_SKIP(drive, options);
  int exitCode = -1;
  const json record = EraseWithRecord(*drive, exitCode);
  EXPECT_EQ(exitCode, 3);
  EXPECT_EQ(record["result"], "not-complete");
  EXPECT_TRUE(record["failed"].empty());  // every write was reported as done
  EXPECT_EQ(record["verification"]["result"], "mismatch");
  EXPECT_EQ(record["verification"]["mismatches"], AsExtents(options.dropped));
  EXPECT_EQ(drive->NonZeroRanges(), options.dropped);
}

TEST(CliFuse, AnEioRangeOfFourKilobytesLeavesOnlyItselfUnwritten) {
  FuseDrive::Options options;
  options.size = kSize;
  options.failing = {{(12ull << 20) + 4096, (12ull << 20) + 8192}};
  ATTACH_FUSE_OR_SKIP(drive, options);
  int exitCode = -1;
  const json record = EraseWithRecord(*drive, exitCode);
  EXPECT_EQ(exitCode, 3);
  EXPECT_EQ(record["result"], "not-complete");
  std::int64_t unwritten = 0;
  for (const json& e : record["failed"]) unwritten += e["to"].get<std::int64_t>() - e["from"].get<std::int64_t>();
  EXPECT_GT(unwritten, 0);
  EXPECT_LE(unwritten, 4096);
  // What the record calls unwritten is exactly what still holds old data.
  EXPECT_EQ(record["failed"], AsExtents(drive->NonZeroRanges()));
  EXPECT_EQ(record["verification"]["result"], "passed");
}

}  // namespace
}  // namespace orvella::test
