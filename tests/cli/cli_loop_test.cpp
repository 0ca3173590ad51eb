// orvella-cli on real block devices: loop devices the test makes over
// sparse files of its own (root only; skipped with the reason where loop
// devices cannot be had). A drive named by its device path is erased, and
// nothing else: a second loop device keeps every byte.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "cli/cli_process.h"
#include "platform_linux/loop_device.h"

namespace orvella::test {
namespace {

using nlohmann::json;

constexpr std::uint64_t kSize = 64ull << 20;
constexpr std::uint64_t kMarker = 1ull << 20;

#define ATTACH_OR_SKIP(loop, options)                      \
  const auto loop = LoopDevice::Attach((options), whyNot); \
  if (!loop) GTEST_SKIP() << whyNot

LoopDevice::Options Sparse(std::string sfdiskScript = {}) {
  LoopDevice::Options options;
  options.size = kSize;
  options.sfdiskScript = std::move(sfdiskScript);
  options.partitions = !options.sfdiskScript.empty();
  return options;
}

// Data at the start, the middle and the end of the drive, through its file
// before anything has read the loop device.
void WriteMarkers(const LoopDevice& loop) {
  const int fd = open(loop.File().c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  const std::vector<char> data(kMarker, static_cast<char>(0xAB));
  for (const std::uint64_t at : {std::uint64_t{0}, kSize / 2, kSize - kMarker})
    ASSERT_EQ(pwrite(fd, data.data(), data.size(), static_cast<off_t>(at)), static_cast<ssize_t>(kMarker));
  close(fd);
}

std::string TempReport() {
  return (std::filesystem::temp_directory_path() / ("orvella-cli-loop-" + std::to_string(getpid()) + ".json"))
      .string();
}

TEST(CliLoop, ErasesTheLoopDeviceItIsGivenByPathAndNothingElse) {
  std::string whyNot;
  ATTACH_OR_SKIP(target, Sparse());
  ATTACH_OR_SKIP(bystander, Sparse());
  WriteMarkers(*target);
  WriteMarkers(*bystander);
  ASSERT_TRUE(target->All(0, kMarker, 0xAB));
  const std::uint64_t bystanderBefore = bystander->Checksum();

  const std::string report = TempReport();
  const CliResult r = RunCli({"erase", target->Node(), "--yes", "--report", report});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_TRUE(target->All(0, kSize, 0x00));
  EXPECT_EQ(bystander->Checksum(), bystanderBefore);

  std::ifstream in(report);
  const json record = json::parse(in);
  std::filesystem::remove(report);
  EXPECT_EQ(record["result"], "complete");
  EXPECT_EQ(record["drive"]["bytes"], kSize);
  EXPECT_EQ(record["written"], json::array({{{"from", 0}, {"to", kSize}}}));

  // The same drive by number, as the list shows it.
  const json list = json::parse(RunCli({"list", "--json"}).out);
  bool listed = false;
  for (const json& drive : list["drives"]) listed |= drive["drive"] == record["drive"]["drive"];
  EXPECT_TRUE(listed);
}

// What the desktop program started without administrator rights shows too:
// the same walk finds no drive it may open.
TEST(CliLoop, WithoutAdministratorRightsTheListIsEmpty) {
  std::string whyNot;
  ATTACH_OR_SKIP(loop, Sparse());
  if (Shell("command -v setpriv") != 0) GTEST_SKIP() << "setpriv is needed to drop the rights";
  EXPECT_GE(json::parse(RunCli({"list", "--json"}).out)["count"].get<int>(), 1);
  std::string answer;
  EXPECT_EQ(Shell("setpriv --reuid=65534 --regid=65534 --clear-groups " ORVELLA_CLI_PATH " list --json", &answer), 0);
  EXPECT_EQ(json::parse(answer)["count"], 0);
}

TEST(CliLoop, APartitionIsNotADriveAndIsLeftAlone) {
  std::string whyNot;
  ATTACH_OR_SKIP(loop, Sparse("label: dos\\n,32M\\n"));
  const std::string partition = loop->Node() + "p1";
  if (!std::filesystem::exists(partition))
    GTEST_SKIP() << "this kernel makes no partitions on loop devices (no node " << partition << ")";
  const std::uint64_t before = loop->Checksum();

  const CliResult r = RunCli({"erase", partition, "--yes"});
  EXPECT_EQ(r.exitCode, 7);
  EXPECT_EQ(r.err, "orvella-cli: " + partition + " is a partition; name the whole drive\n");
  EXPECT_EQ(loop->Checksum(), before);
}

// The list's answer for the drive at `node`; null when it is not listed.
json Listed(const std::string& node) {
  const json list = json::parse(RunCli({"list", "--json"}).out);
  for (const json& drive : list["drives"])
    if (drive["path"] == node) return drive;
  return nullptr;
}

// Twenty loop devices of the test's own beside whatever the machine has
// (more than the fifteen drives the walk once stopped at): every one is
// listed under its device path, and erased when named by it.
TEST(CliLoop, TwentyLoopDevicesAreAllListedAndEachIsErasedByItsPath) {
  std::string whyNot;
  constexpr std::uint64_t kSmallest = 32ull << 20;  // 65,536 sectors: big enough to be chosen
  std::vector<std::unique_ptr<LoopDevice>> loops;
  for (int i = 0; i < 20; ++i) {
    loops.push_back(LoopDevice::Attach(LoopOptions(kSmallest), whyNot));
    if (!loops.back()) GTEST_SKIP() << whyNot;
    const int fd = open(loops.back()->File().c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const std::vector<char> data(65536, static_cast<char>(0xAB));
    ASSERT_EQ(pwrite(fd, data.data(), data.size(), 0), 65536);
    close(fd);
  }
  const json list = json::parse(RunCli({"list", "--json"}).out);
  const std::string text = RunCli({"list"}).out;
  for (const auto& loop : loops) {
    bool listed = false;
    for (const json& drive : list["drives"]) listed |= drive["path"] == loop->Node();
    EXPECT_TRUE(listed) << loop->Node();
    EXPECT_NE(text.find(" " + loop->Node() + " "), std::string::npos) << loop->Node();
  }
  for (const auto& loop : loops) {
    const CliResult r = RunCli({"erase", loop->Node(), "--quick", "--yes"});
    EXPECT_EQ(r.exitCode, 9) << loop->Node() << r.err;
    EXPECT_NE(r.err.find(": " + loop->Node() + ", model \"Linux Loop Device\""), std::string::npos) << r.err;
    EXPECT_TRUE(loop->All(0, 65536, 0x00)) << loop->Node();
  }
}

// A link names the drive it points to. A loop device reports no serial
// number: the list says so, and --expect-serial refuses it whatever it
// names, the list's placeholder included, writing nothing.
TEST(CliLoop, ALinkNamesTheDriveItPointsToAndASerialLessDriveIsNeverTheExpectedOne) {
  std::string whyNot;
  ATTACH_OR_SKIP(loop, Sparse());
  WriteMarkers(*loop);
  const std::uint64_t before = loop->Checksum();
  const std::string link = loop->Folder() + "/by-id-orvella-test-disk";
  std::filesystem::create_symlink(loop->Node(), link);

  const json listed = Listed(loop->Node());
  ASSERT_FALSE(listed.is_null());
  EXPECT_TRUE(listed["serial"].is_null()) << listed.dump();
  for (const std::string expected : {"WD-WCAV12345678", "000000"}) {
    const CliResult refused = RunCli({"erase", link, "--yes", "--quick", "--expect-serial", expected});
    EXPECT_EQ(refused.exitCode, 8);
    EXPECT_NE(refused.err.find(": " + loop->Node() + ", model"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("no serial number, so it cannot be the one --expect-serial names ('" + expected +
                               "'); nothing was written."),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(loop->Checksum(), before);
  }

  const CliResult r = RunCli({"erase", link, "--yes", "--quick"});
  EXPECT_EQ(r.exitCode, 9) << r.err;
  EXPECT_TRUE(loop->All(0, kMarker, 0x00));
}

// A mounted file system on the drive: the list says so, and the erase
// unmounts it, logs that, and keeps it in the record.
TEST(CliLoop, AnUnmountedFileSystemIsListedAsMountedThenLoggedAndRecorded) {
  std::string whyNot;
  ATTACH_OR_SKIP(loop, Sparse());
  ASSERT_EQ(Shell("mkfs.ext4 -q -F " + loop->Node()), 0);
  const std::string mountPoint = loop->Folder() + "/mnt";
  ASSERT_EQ(Shell("mkdir -p " + mountPoint + " && mount -t ext4 " + loop->Node() + " " + mountPoint), 0);
  const json listed = Listed(loop->Node());
  ASSERT_FALSE(listed.is_null());
  EXPECT_EQ(listed["mounted"], true);
  EXPECT_EQ(listed["readOnly"], false);
  EXPECT_TRUE(listed["stableLink"].is_null());  // no udev links for loop devices

  const std::string report = TempReport();
  const CliResult r = RunCli({"erase", loop->Node(), "--yes", "--quick", "--report", report});
  EXPECT_EQ(r.exitCode, 9) << r.err;
  EXPECT_NE(r.out.find("Unmounted " + mountPoint + " (" + loop->Node() + ")"), std::string::npos) << r.out;
  std::ifstream in(report);
  const json record = json::parse(in);
  std::filesystem::remove(report);
  EXPECT_EQ(record["unmounted"], json::array({{{"mountPoint", mountPoint}, {"device", loop->Node()}}}));
  EXPECT_EQ(Listed(loop->Node())["mounted"], false);
}

}  // namespace
}  // namespace orvella::test
