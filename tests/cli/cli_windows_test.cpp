// orvella-cli.exe on the machine's own drives under Windows (or Wine): the
// walk opens every drive number for reading through the Win32 backend,
// and ends after drive 255 when fewer than fifteen drives answer.
#include <gtest/gtest.h>

#include <algorithm>

#include "cli/cli_process.h"

namespace orvella::test {
namespace {

TEST(CliWindows, TheDebugListWalksEveryDriveNumberOfTheMachine) {
  const CliResult r = RunCli({"--debug", "list"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::vector<std::string> debug = r.ErrLines();
  ASSERT_FALSE(debug.empty()) << r.err;
  EXPECT_EQ(debug.front(), "Iterating through devices...");
  const auto tries = std::count_if(debug.begin(), debug.end(), [](const std::string& line) {
    return line.starts_with("Trying device \\\\.\\PhysicalDrive");
  });
  const std::vector<std::string> out = r.OutLines();
  ASSERT_FALSE(out.empty());
  if (out.back() == "Disks found: 15") return;  // a machine of many drives ends early
  EXPECT_EQ(tries, 256);
  EXPECT_NE(std::find(debug.begin(), debug.end(), "Trying device \\\\.\\PhysicalDrive255"), debug.end());
  EXPECT_TRUE(out.back().starts_with("Disks found: ")) << out.back();
}

}  // namespace
}  // namespace orvella::test
