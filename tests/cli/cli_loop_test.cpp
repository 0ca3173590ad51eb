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

}  // namespace
}  // namespace orvella::test
