// orvella-cli station on a simulated machine whose drives come and go: the
// drive file is rewritten while the station runs, as drives are plugged in
// and pulled out. Drives there at the start are left alone, drives attached
// later are erased with a sealed record each, excluded serial numbers and
// drives without one are not, a drive pulled mid-run ends on its own while
// the others go on, and Ctrl+C stops the runs in progress.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "cli/cli_process.h"
#include "cli/record_folder.h"

namespace orvella::test {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

// The storage stack hands on an ATA serial number with the bytes of each
// pair swapped, as the drive's IDENTIFY words hold them.
std::string PairsSwapped(std::string text) {
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) std::swap(text[i], text[i + 1]);
  return text;
}

// A 64 MiB SATA drive, slowed down so that erases overlap, with the same
// serial number in its IDENTIFY data and from the storage stack.
json Drive(int number, const std::string& serial) {
  const std::string model = "Station Disk " + std::to_string(number);
  return {{"number", number},
          {"length", {{"sectors", 131072}}},
          {"busType", "BusTypeSata"},
          {"product", model},
          {"revision", "S1"},
          {"ata", {{"identify", {{"model", model}, {"serial", serial}, {"firmware", "S1"}}}}},
          {"speedLimitBytesPerSecond", 64000000},
          {"serial", PairsSwapped(serial)}};
}

// The simulated machine: a drive file that a test rewrites whole (written
// beside it and renamed over it, so that no look reads half a file).
class ChangingMachine {
 public:
  ChangingMachine() : path_(fs::temp_directory_path() / ("orvella-station-" + std::to_string(getpid()) + ".json")) {}
  ~ChangingMachine() { fs::remove(path_); }
  std::string Path() const { return path_.string(); }
  void Attach(const std::vector<json>& drives) {
    const fs::path next = path_.string() + ".next";
    std::ofstream(next) << json{{"drives", drives}}.dump(2);
    fs::rename(next, path_);
  }

 private:
  fs::path path_;
};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class CliStation : public ::testing::Test {
 protected:
  std::unique_ptr<CliProcess> Start(std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"--drives", machine.Path(), "station", "--report-dir", folder.Path()};
    args.insert(args.end(), more.begin(), more.end());
    auto station = std::make_unique<CliProcess>(args);
    EXPECT_TRUE(station->WaitForOutput("Waiting for drives to be attached; Ctrl+C ends the station."));
    return station;
  }

  ChangingMachine machine;
  RecordFolder folder{"orvella-station"};
};

TEST_F(CliStation, ErasesTheDrivesAttachedLaterAndLeavesTheOthersAlone) {
  machine.Attach({Drive(0, "SNS0"), Drive(1, "SNS1")});
  auto station = Start({"--yes", "--exclude", "SNS3", "--verify", "full"});
  machine.Attach({Drive(0, "SNS0"), Drive(1, "SNS1"), Drive(2, "SNS2"), Drive(3, "SNS3"), Drive(4, "   ")});
  ASSERT_TRUE(station->WaitForOutput("[2 \\\\.\\PhysicalDrive2] finished: complete, exit status 0"));
  station->Signal(SIGINT);
  const CliResult r = station->Finish();
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ResultsBySerial(folder.Records()), (std::map<std::string, std::string>{{"SNS2", "complete"}}));
  EXPECT_TRUE(Has(r.err, "Attached before the start, left alone: \\\\.\\PhysicalDrive0 (serial number SNS0)")) << r.err;
  EXPECT_TRUE(Has(r.err, "Attached before the start, left alone: \\\\.\\PhysicalDrive1 (serial number SNS1)")) << r.err;
  EXPECT_TRUE(Has(r.out, "New drive \\\\.\\PhysicalDrive2 (serial number SNS2): erasing it.")) << r.out;
  EXPECT_TRUE(Has(r.out, "Leaving alone the new drive \\\\.\\PhysicalDrive3 (serial number SNS3): its serial number "
                         "is excluded."))
      << r.out;
  EXPECT_TRUE(Has(r.out, "Leaving alone the new drive \\\\.\\PhysicalDrive4: it reports no serial number to name it "
                         "by."))
      << r.out;
  EXPECT_TRUE(Has(r.out, "SNS2           complete  0")) << r.out;
  // Each new drive is taken once, however many looks see it.
  EXPECT_EQ(r.out.find("New drive \\\\.\\PhysicalDrive2"), r.out.rfind("New drive \\\\.\\PhysicalDrive2"));
}

// A drive pulled out 8 MiB into its erase ends with its own record, and
// the drive next to it is erased to the end; a drive there from the start
// but named with --include is erased too. The worst status wins.
TEST_F(CliStation, APulledDriveEndsOnItsOwnWhileTheOthersGoOn) {
  machine.Attach({Drive(0, "SNS0"), Drive(1, "SNS1")});
  auto station = Start({"--yes", "--include", "1"});
  json pulled = Drive(2, "SNS2");
  pulled["unplugAt"] = 8388608;
  machine.Attach({Drive(0, "SNS0"), Drive(1, "SNS1"), pulled, Drive(3, "SNS3")});
  ASSERT_TRUE(station->WaitForOutput("[3 \\\\.\\PhysicalDrive3] finished: complete"));
  ASSERT_TRUE(station->WaitForOutput("[2 \\\\.\\PhysicalDrive2] finished: drive-gone, exit status 6"));
  station->Signal(SIGINT);
  const CliResult r = station->Finish();
  EXPECT_EQ(r.exitCode, 6) << r.err;
  EXPECT_EQ(ResultsBySerial(folder.Records()),
            (std::map<std::string, std::string>{{"SNS1", "complete"}, {"SNS2", "drive-gone"}, {"SNS3", "complete"}}));
  EXPECT_TRUE(Has(r.out, "Operation terminated at offset")) << r.out;
  EXPECT_FALSE(Has(r.err, "left alone: \\\\.\\PhysicalDrive1")) << r.err;
}

// The system disk is never taken, whenever it shows up.
TEST_F(CliStation, ASystemDiskAttachedLaterIsLeftAlone) {
  machine.Attach({Drive(0, "SNS0")});
  auto station = Start({"--yes"});
  json system = Drive(1, "SNS1");
  system["volumes"] = json::array({{{"name", "R:"}, {"mountPoint", "/"}}});
  machine.Attach({Drive(0, "SNS0"), system});
  ASSERT_TRUE(station->WaitForOutput("Leaving alone the new drive \\\\.\\PhysicalDrive1 (serial number SNS1): it "
                                     "holds the running system (the file system at /)."));
  station->Signal(SIGINT);
  const CliResult r = station->Finish();
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Has(r.out, "No drive was erased.")) << r.out;
  EXPECT_TRUE(folder.Records().empty());
}

TEST_F(CliStation, CtrlCStopsTheRunsInProgressAndSummarises) {
  machine.Attach({});
  auto station = Start({"--yes"});
  json slow = Drive(0, "SNS0");
  slow["length"] = 1000000000;
  slow["speedLimitBytesPerSecond"] = 4000000;
  machine.Attach({slow});
  ASSERT_TRUE(station->WaitForOutput("[0 \\\\.\\PhysicalDrive0] writing"));
  station->Signal(SIGINT);
  const CliResult r = station->Finish();
  EXPECT_EQ(r.exitCode, 5) << r.err;
  EXPECT_TRUE(Has(r.err, "Stopping every drive after the block in progress...")) << r.err;
  EXPECT_TRUE(Has(r.out, "[0 \\\\.\\PhysicalDrive0] finished: cancelled, exit status 5")) << r.out;
  EXPECT_EQ(ResultsBySerial(folder.Records()), (std::map<std::string, std::string>{{"SNS0", "cancelled"}}));
}

TEST_F(CliStation, StartsOnlyWhenConfirmed) {
  machine.Attach({Drive(0, "SNS0")});
  const CliResult piped = RunCli({"--drives", machine.Path(), "station", "--report-dir", folder.Path()});
  EXPECT_EQ(piped.exitCode, 8);
  EXPECT_TRUE(Has(piped.err, "standard input is not a terminal")) << piped.err;

  CliTerminal wrong({"--drives", machine.Path(), "station", "--report-dir", folder.Path()});
  ASSERT_TRUE(wrong.WaitForOutput("Type ERASE NEW DRIVES to start, anything else cancels: "));
  wrong.Type("erase new drives\n");
  EXPECT_EQ(wrong.Finish().exitCode, 8);

  CliTerminal right({"--drives", machine.Path(), "station", "--report-dir", folder.Path()});
  ASSERT_TRUE(right.WaitForOutput("Type ERASE NEW DRIVES to start"));
  right.Type("ERASE NEW DRIVES\n");
  EXPECT_TRUE(right.WaitForOutput("Waiting for drives to be attached"));
  right.Type("\x03");  // Ctrl+C on the terminal
  const CliResult ended = right.Finish();
  EXPECT_EQ(ended.exitCode, 0) << ended.out;
  EXPECT_TRUE(Has(ended.out, "No drive was erased.")) << ended.out;
}

TEST_F(CliStation, RefusesCommandLinesThatCannotBeMeant) {
  machine.Attach({Drive(0, "SNS0")});
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"station", "--yes"}, {"station", "--yes", "--report-dir", ""},
        {"station", "--yes", "--report-dir", folder.Path(), "--exclude", " "},
        {"station", "--yes", "--report-dir", folder.Path(), "--include", "0", "--include", "0"}}) {
    std::vector<std::string> full = {"--drives", machine.Path()};
    full.insert(full.end(), args.begin(), args.end());
    const CliResult r = RunCli(full);
    EXPECT_EQ(r.exitCode, 2) << args.back() << ": " << r.err;
    EXPECT_EQ(r.out, "");
  }
  // A drive named with --include that is the system disk stops the start.
  json system = Drive(1, "SNS1");
  system["volumes"] = json::array({{{"name", "R:"}, {"mountPoint", "/"}}});
  machine.Attach({Drive(0, "SNS0"), system});
  const CliResult r =
      RunCli({"--drives", machine.Path(), "station", "--yes", "--report-dir", folder.Path(), "--include", "1"});
  EXPECT_EQ(r.exitCode, 8) << r.err;
  EXPECT_TRUE(folder.Records().empty());
}

}  // namespace
}  // namespace orvella::test
