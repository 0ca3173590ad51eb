// orvella-cli on a loop device over a FUSE file system that misbehaves
// (fuse_drive.h): writes that are lost while reported as done are caught by
// the read-back, and a range that refuses writes is narrowed to exactly the
// sectors that stay unwritten, as the bytes left on the medium show.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "cli/cli_process.h"
#include "platform_linux/fuse_drive.h"
#include "platform_linux/loop_device.h"
#include "record/record_digest.h"

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

// Three drives erased side by side, the middle one with a range that
// refuses writes: each ends with a sealed record of its own, the good ones
// are zero throughout, and the erase ends with the bad drive's status.
TEST(CliFuse, ThreeDrivesSideBySideEachEndWithTheirOwnRecordAndTheWorstStatus) {
  FuseDrive::Options options;
  options.size = kSize;
  options.failing = {{(20ull << 20) + 4096, (20ull << 20) + 8192}};
  ATTACH_FUSE_OR_SKIP(bad, options);
  const auto first = LoopDevice::Attach(LoopOptions(kSize, 0xAB), whyNot);
  const auto last = first ? LoopDevice::Attach(LoopOptions(kSize, 0xAB), whyNot) : nullptr;
  if (!last) GTEST_SKIP() << whyNot;

  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("orvella-cli-three-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const CliResult r = RunCli({"erase", first->Node(), bad->Node(), last->Node(), "--yes", "--verify", "full",
                              "--report-dir", folder.string()});
  EXPECT_EQ(r.exitCode, 3) << r.err;

  std::map<std::string, json> byPath;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const RecordCheck check = ReadSealedRecord(std::string(std::istreambuf_iterator<char>(in), {}));
    EXPECT_TRUE(check.record.has_value()) << entry.path() << ": " << check.problem;
    if (check.record) byPath[(*check.record)["drive"]["path"].get<std::string>()] = *check.record;
  }
  std::filesystem::remove_all(folder);
  ASSERT_EQ(byPath.size(), 3u) << r.err;
  for (const auto* good : {first.get(), last.get()}) {
    EXPECT_EQ(byPath[good->Node()]["result"], "complete") << good->Node();
    EXPECT_TRUE(good->All(0, kSize, 0x00)) << good->Node();
  }
  const json& failed = byPath[bad->Node()];
  EXPECT_EQ(failed["result"], "not-complete");
  EXPECT_EQ(failed["failed"], AsExtents(bad->NonZeroRanges()));
  EXPECT_FALSE(failed["failed"].empty());
}

}  // namespace
}  // namespace orvella::test
