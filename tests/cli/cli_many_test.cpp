// orvella-cli erase DRIVE DRIVE... on simulated drives: the erases side by
// side, each with its own log lines, ending and sealed record; the worst
// status; Stop for every drive; the system disk refused in every mode; the
// serial numbers each drive must have; the one confirmation.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "cli/cli_process.h"
#include "cli/record_folder.h"

namespace orvella::test {
namespace {

using Lines = std::vector<std::string>;
using nlohmann::json;
namespace fs = std::filesystem;

CliResult Erase(Lines more) {
  Lines args = {"--drives", ORVELLA_CLI_MANY_DRIVES, "erase"};
  args.insert(args.end(), more.begin(), more.end());
  return RunCli(args);
}

bool HasLine(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A clean drive, one with a bad range, one whose lock is refused and one
// pulled out: each ends its own way, none holds back the others, and the
// erase ends with the worst status (the bad range's 3).
TEST(CliMany, EachDriveEndsItsOwnWayWithASealedRecordAndTheWorstStatusWins) {
  RecordFolder folder;
  const CliResult r = Erase({"0", "1", "2", "3", "--yes", "--report-dir", folder.Path()});
  EXPECT_EQ(r.exitCode, 3) << r.err;
  EXPECT_EQ(ResultsBySerial(folder.Records()), (std::map<std::string, std::string>{{"SNM0", "complete"},
                                                                                    {"SNM1", "not-complete"},
                                                                                    {"SNM2", "lock-refused"},
                                                                                    {"SNM3", "drive-gone"}}));
  // Every drive's log lines carry its number and path; the summary closes.
  EXPECT_TRUE(HasLine(r.out, "[2 \\\\.\\PhysicalDrive2] ")) << r.out;
  EXPECT_TRUE(HasLine(r.out, "Device was unplugged, aborting...")) << r.out;
  EXPECT_TRUE(HasLine(r.out, "DRIVE  DEVICE PATH")) << r.out;
  EXPECT_TRUE(HasLine(r.out, "SNM1           not-complete  3")) << r.out;
  EXPECT_TRUE(HasLine(r.out, "[0 \\\\.\\PhysicalDrive0] writing ")) << r.out;
  EXPECT_TRUE(HasLine(r.out, "[0 \\\\.\\PhysicalDrive0] reading back ")) << r.out;
}

// A second erase into the same folder in the same second keeps both.
TEST(CliMany, JsonIsAnArrayOfRecordsAndNoRecordFileIsReplaced) {
  RecordFolder folder;
  const CliResult first = Erase({"0", "2", "--yes", "--quick", "--json", "--report-dir", folder.Path()});
  ASSERT_EQ(first.exitCode, 4) << first.err;
  const json records = json::parse(first.out);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0]["result"], "quick-wipe-complete");
  EXPECT_EQ(records[1]["result"], "lock-refused");
  EXPECT_EQ(Erase({"0", "--yes", "--quick", "--report-dir", folder.Path()}).exitCode, 9);
  EXPECT_EQ(Erase({"0", "--yes", "--quick", "--report-dir", folder.Path()}).exitCode, 9);
  EXPECT_EQ(folder.Records().size(), 4u);
}

TEST(CliMany, TheSystemDiskIsRefusedInEveryModeBeforeAnythingIsWritten) {
  RecordFolder folder;
  const CliResult single = Erase({"5", "--yes", "--quick"});
  EXPECT_EQ(single.exitCode, 8);
  EXPECT_EQ(single.out, "");
  EXPECT_TRUE(HasLine(single.err, "orvella-cli: not erasing \\\\.\\PhysicalDrive5: it holds the running system (the "
                                  "file system at /); nothing was written."))
      << single.err;

  const CliResult many = Erase({"0", "6", "--yes", "--report-dir", folder.Path()});
  EXPECT_EQ(many.exitCode, 8);
  EXPECT_EQ(many.out, "");
  EXPECT_TRUE(HasLine(many.err, "it holds the running system (the file system at /boot)")) << many.err;
  EXPECT_TRUE(folder.Records().empty());
}

TEST(CliMany, EachDriveMustHaveTheSerialNumberGivenForIt) {
  const CliResult wrong = Erase({"0", "2", "--yes", "--quick", "--expect-serial", "SNM0", "--expect-serial", "SNM7"});
  EXPECT_EQ(wrong.exitCode, 8);
  EXPECT_EQ(wrong.out, "");
  EXPECT_TRUE(HasLine(wrong.err, "the drive's serial number is 'SNM2', not 'SNM7'; nothing was written.")) << wrong.err;

  const CliResult named =
      Erase({"0", "2", "--yes", "--quick", "--expect-serial", "2=SNM2", "--expect-serial", "0=SNM0"});
  EXPECT_EQ(named.exitCode, 4) << named.err;

  for (const Lines& args : {Lines{"0", "2", "--yes", "--expect-serial", "SNM0"},
                            Lines{"0", "--yes", "--expect-serial", ""},
                            Lines{"0", "2", "--yes", "--expect-serial", "0=", "--expect-serial", "2=SNM2"},
                            Lines{"0", "0", "--yes"},
                            Lines{"0", "2", "--yes", "--report", "x.json"}}) {
    const CliResult r = Erase(args);
    EXPECT_EQ(r.exitCode, 2) << args[3] << ": " << r.err;
    EXPECT_EQ(r.out, "");
  }
  // The same drive by two names.
  EXPECT_EQ(Erase({"0", "\\\\.\\PhysicalDrive0", "--yes"}).exitCode, 2);
}

TEST(CliMany, WithoutATerminalAndWithoutYesNothingIsErased) {
  const CliResult r = Erase({"0", "2"});
  EXPECT_EQ(r.exitCode, 8);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(HasLine(r.err, "Drive 0: \\\\.\\PhysicalDrive0, model \"Many Disk 0\", serial \"SNM0\"")) << r.err;
  EXPECT_TRUE(HasLine(r.err, "Drive 2: \\\\.\\PhysicalDrive2")) << r.err;
  EXPECT_TRUE(HasLine(r.err, "standard input is not a terminal")) << r.err;
}

TEST(CliMany, CtrlCStopsEveryDriveAfterItsBlockInProgress) {
  RecordFolder folder;
  CliProcess cli({"--drives", ORVELLA_CLI_MANY_DRIVES, "erase", "4", "7", "--yes", "--report-dir", folder.Path()});
  ASSERT_TRUE(cli.WaitForOutput("[7 \\\\.\\PhysicalDrive7] writing")) << "the erases did not start";
  cli.Signal(SIGINT);
  const CliResult r = cli.Finish();
  EXPECT_EQ(r.exitCode, 5) << r.err;
  EXPECT_TRUE(HasLine(r.err, "Stopping every drive after the block in progress...")) << r.err;
  EXPECT_EQ(ResultsBySerial(folder.Records()),
            (std::map<std::string, std::string>{{"SNM4", "cancelled"}, {"SNM7", "cancelled"}}));
}

TEST(CliMany, OnATerminalItAsksForTheNumberOfDrives) {
  CliTerminal terminal({"--drives", ORVELLA_CLI_MANY_DRIVES, "erase", "0", "2", "--quick"});
  ASSERT_TRUE(terminal.WaitForOutput("ERASE 2 DRIVES: every byte on each of the drives above will be destroyed."));
  ASSERT_TRUE(terminal.WaitForOutput("Type the number of drives (2) to erase them all"));
  terminal.Type("2\n");
  EXPECT_EQ(terminal.Finish().exitCode, 4);
}

// One drive sent to a record folder is asked about as a lone erase is: by
// the end of its serial number, so that its number typed again out of habit
// erases nothing.
TEST(CliMany, ALoneDriveIsConfirmedByItsSerialNumber) {
  RecordFolder folder;
  CliTerminal terminal({"--drives", ORVELLA_CLI_MANY_DRIVES, "erase", "4", "--quick", "--report-dir", folder.Path()});
  // One drive is one drive, not "1 DRIVES".
  ASSERT_TRUE(terminal.WaitForOutput("ERASE 1 DRIVE: every byte on the drive above will be destroyed."));
  ASSERT_TRUE(terminal.WaitForOutput("Type the drive's serial number (SNM4) to erase it"));
  terminal.Type("4\n");
  EXPECT_EQ(terminal.Finish().exitCode, 8);
  EXPECT_TRUE(folder.Records().empty());
}

}  // namespace
}  // namespace orvella::test
