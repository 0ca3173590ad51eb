// orvella-cli erase on simulated drives: the format log as it is written,
// the progress, every ending with its exit code, the confirmation with and
// without a terminal, Ctrl+C as Stop, and the erase record of --report.
#include <gtest/gtest.h>

#include <regex>
#include <nlohmann/json.hpp>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/cli_process.h"
#include "record/record_digest.h"

namespace orvella::test {
namespace {

using Lines = std::vector<std::string>;
using nlohmann::json;
namespace fs = std::filesystem;

constexpr std::int64_t kDiskBytes = 67'108'864;  // the 64 MiB drives of the test machine

Lines Args(Lines args) {
  args.insert(args.begin(), {"--drives", ORVELLA_CLI_DRIVES});
  return args;
}

CliResult Erase(Lines more) {
  Lines args = {"erase"};
  args.insert(args.end(), more.begin(), more.end());
  return RunCli(Args(args));
}

// The format log lines of a run, without the progress lines between them
// (of the writes and of the read-back).
Lines LogLines(const std::string& text) {
  Lines log;
  for (const std::string& line : UnstampedLines(text))
    if (line.find("% complete") == std::string::npos && line.find("% read back") == std::string::npos &&
        line.find("% of the sample read back") == std::string::npos)
      log.push_back(line);
  return log;
}

Lines Header(const std::string& title, const std::string& sectors) {
  return {" ",
          "=================================================",
          "Orvella 4.30; https://orvella.example.org",
          "Low level format: " + title,
          "Device capacity: " + sectors + " sectors",
          "Locking device... "};
}

Lines Concat(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::string kTitleA = "[0]  Testa Disk A    A1    [67.1 MB]    (131072 512-byte sectors)";

json Extent(std::int64_t from, std::int64_t to) { return {{"from", from}, {"to", to}}; }

class ReportFile {
 public:
  ReportFile() : path_(fs::temp_directory_path() / ("orvella-cli-report-" + std::to_string(getpid()) + ".json")) {}
  ~ReportFile() { fs::remove(path_); }
  std::string Path() const { return path_.string(); }
  json Read() const {
    std::ifstream in(path_, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(text.find('\r'), std::string::npos) << "the record has \\n line ends on every platform";
    return json::parse(text);
  }

 private:
  fs::path path_;
};

TEST(CliErase, AQuickEraseLogsAsTheFormatLogDoesWithPlainProgressLines) {
  const CliResult r = Erase({"0", "--quick", "--yes"});
  ASSERT_EQ(r.exitCode, 9) << r.err;  // done, but not an erase of the whole drive
  const Lines log = LogLines(r.out);
  // The speeds depend on the machine.
  ASSERT_EQ(log.size(), 16u) << r.out;
  EXPECT_TRUE(log[7].starts_with("Average speed: ")) << log[7];
  EXPECT_TRUE(log[10].starts_with("Average verification speed: ")) << log[10];
  const Lines tail = {"Formatting... ",
                      log[7],
                      "Verifying... ",
                      "Reading back every written byte: 20,480,000 bytes",
                      log[10],
                      "Verification passed: 20,480,000 bytes read back, all of them zero.",
                      "Low-level format is complete.",
                      "Quick wipe: only the first and the last 10,240,000 bytes were zeroed; the rest of the data is "
                      "still readable.",
                      "",
                      "Remember to create new partitions."};
  EXPECT_EQ(log, Concat(Header(kTitleA, "131,072"), tail));

  // Not a terminal: whole progress lines, the first at once, the last at 100%.
  Lines progress;
  for (const std::string& line : UnstampedLines(r.out))
    if (line.find("% complete") != std::string::npos) progress.push_back(line);
  ASSERT_GE(progress.size(), 2u);
  // Each line: the step, the tenth of a percent, the bytes of the total,
  // the sector and the time taken, every number grouped.
  EXPECT_EQ(progress.front(),
            "Writing 1 of 2: 0.3% complete   65,536 bytes of 20.48 MB   Current sector: 128   elapsed 0 s")
      << progress.front();
  EXPECT_TRUE(progress.back().starts_with(
      "Writing 1 of 2: 100.0% complete   20.48 MB of 20.48 MB   Current sector: 131,072   "))
      << progress.back();
  EXPECT_NE(progress.back().find("   elapsed "), std::string::npos) << progress.back();
  // No number of four digits or more goes ungrouped beside grouped ones.
  static const std::regex ungrouped(R"(\d{4})");
  for (const std::string& line : progress) EXPECT_FALSE(std::regex_search(line, ungrouped)) << line;
  EXPECT_EQ(r.out.find('\r'), std::string::npos);
}

TEST(CliErase, ACleanFullEraseRecordsTheWholeDrive) {
  ReportFile report;
  const CliResult r = Erase({"0", "--yes", "--report", report.Path()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const json record = report.Read();
  EXPECT_EQ(record["program"], "Orvella 4.30");
  EXPECT_EQ(record["drive"]["drive"], 0);
  EXPECT_EQ(record["drive"]["model"], "Testa Disk A");
  EXPECT_EQ(record["drive"]["bytes"], kDiskBytes);
  EXPECT_EQ(record["identify"], json({{"model", "Testa Disk A"}, {"serial", "SNA1"}, {"firmware", "A1"}}));
  EXPECT_EQ(record["mode"], "full");
  EXPECT_EQ(record["bytesToWrite"], kDiskBytes);
  EXPECT_EQ(record["result"], "complete");
  EXPECT_EQ(record["exitCode"], 0);
  EXPECT_EQ(record["flushed"], true);
  EXPECT_EQ(record["verification"]["method"], "sample");
  EXPECT_EQ(record["verification"]["result"], "passed");
  EXPECT_TRUE(record["verification"]["mismatches"].empty());
  EXPECT_EQ(record["written"], json::array({Extent(0, kDiskBytes)}));
  EXPECT_EQ(record["bytesWritten"], kDiskBytes);
  EXPECT_TRUE(record["failed"].empty());
  EXPECT_TRUE(record["errors"].empty());
  // ISO 8601 times (the child runs in UTC), the start not after the end.
  const std::string start = record["start"], end = record["end"];
  EXPECT_EQ(start.size(), 25u);
  EXPECT_TRUE(start.ends_with("+00:00")) << start;
  EXPECT_LE(start, end);
  // The log of the run, stamped, as it went to the terminal.
  const Lines log = LogLines(r.out);
  ASSERT_EQ(record["log"].size(), log.size());
  EXPECT_EQ(UnstampedLines(record["log"][3].get<std::string>()), Lines{log[3]});
}

TEST(CliErase, TheRecordIsACertificateOfTheMediumTheMethodAndThePeople) {
  ReportFile report;
  const CliResult r = Erase({"0", "--yes", "--operator", "Ada Lovelace", "--asset", "IT-004711", "--report",
                             report.Path()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const json record = report.Read();
  EXPECT_EQ(record["media"], json::parse(R"({"manufacturer": null, "model": "Testa Disk A", "serial": "SNA1",
      "type": "HDD", "bus": "ATA", "capacityBytes": 67108864, "sectorSize": 512, "sectors": 131072,
      "unaddressableBytes": 0})"));
  EXPECT_EQ(record["tool"], json::parse(R"({"name": "Orvella", "version": "4.30", "frontEnd": "orvella-cli"})"));
  EXPECT_EQ(record["host"]["name"], "simulated machine");
  EXPECT_EQ(record["operator"], "Ada Lovelace");
  EXPECT_EQ(record["asset"], "IT-004711");
  EXPECT_EQ(record["sanitization"]["method"], "Clear: overwrite with zeros, 1 pass");
  EXPECT_EQ(record["verification"]["result"], "passed");
  // The default read-back is the sample: erased and checked (exit status
  // 0), but only a full read-back proves it.
  EXPECT_EQ(record["verified"], "sample");
  EXPECT_EQ(record["erasureProven"], false);

  std::ifstream in(report.Path());
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(ReadSealedRecord(text).record.has_value()) << ReadSealedRecord(text).problem;
}

TEST(CliErase, WriteErrorsEndWithThreeAndAreRecorded) {
  ReportFile report;
  const CliResult r = Erase({"1", "--yes", "--report", report.Path()});
  EXPECT_EQ(r.exitCode, 3) << r.err;
  // Each failed block is narrowed to the sectors that refuse.
  const Lines errors = {
      "Format Error occurred at offset 131,072:   1117 - Device I/O error",
      "Not written: offset 131,072    LBA 256, 1 sector (512 bytes):   1117 - Device I/O error",
      "Format Error occurred at offset 327,680:   21 - Device not ready (Timeout)",
      "Not written: offset 327,680    LBA 640, 128 sectors (65,536 bytes):   21 - Device not ready (Timeout)",
      "Format Error occurred at offset 393,216:   21 - Device not ready (Timeout)",
      "Not written: offset 393,216    LBA 768, 1 sector (512 bytes):   21 - Device not ready (Timeout)"};
  const Lines log = LogLines(r.out);
  for (const std::string& line : errors) EXPECT_NE(std::find(log.begin(), log.end(), line), log.end()) << line;
  EXPECT_NE(std::find(log.begin(), log.end(),
                      "Low-level format did not complete: 130 sectors (66,560 bytes) could not be written."),
            log.end());

  const json record = report.Read();
  EXPECT_EQ(record["result"], "not-complete");
  EXPECT_EQ(record["exitCode"], 3);
  EXPECT_EQ(record["errors"], json(errors));
  EXPECT_EQ(record["failed"], json::array({Extent(131'072, 131'584), Extent(327'680, 393'728)}));
  EXPECT_EQ(record["failedBlocks"], 3);
  EXPECT_EQ(record["written"], json::array({Extent(0, 131'072), Extent(131'584, 327'680),
                                            Extent(393'728, kDiskBytes)}));
  EXPECT_EQ(record["bytesWritten"], kDiskBytes - 66'560);
  EXPECT_EQ(record["verification"]["result"], "passed");  // what was written reads back as zeros
  EXPECT_EQ(record["erasureProven"], false);
  EXPECT_EQ(record["identify"]["serial"], "SNB1");
}

TEST(CliErase, ALockedVolumeEndsWithFourAndNothingWritten) {
  ReportFile report;
  const CliResult r = Erase({"2", "--yes", "--quick", "--report", report.Path()});
  EXPECT_EQ(r.exitCode, 4);
  const Lines log = LogLines(r.out);
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(Lines(log.end() - 3, log.end()),
            (Lines{"Unable to lock device. Make sure you do not have open files on this device and try again. ",
                   "Volume D:, mounted on D:\\ is in use.", "Held by process 4242 (editor)"}));
  const json record = report.Read();
  EXPECT_EQ(record["result"], "lock-refused");
  EXPECT_TRUE(record["written"].empty());
  EXPECT_EQ(record["errors"].size(), 3u);
  EXPECT_EQ(record["busyVolumes"], json::parse(R"([{"volume": "D:", "mountPoints": ["D:\\"], "holdersKnown": true,
                                                    "holders": [{"pid": 4242, "command": "editor"}]}])"));
  EXPECT_TRUE(record["identify"].is_null());  // a USB stick answers no IDENTIFY
}

TEST(CliErase, AnUnpluggedDriveEndsWithSix) {
  const CliResult r = Erase({"3", "--yes"});
  EXPECT_EQ(r.exitCode, 6);
  const Lines log = LogLines(r.out);
  EXPECT_NE(std::find(log.begin(), log.end(), "Device was unplugged, aborting..."), log.end());
  EXPECT_TRUE(log.back().starts_with("Operation terminated at offset ")) << log.back();
}

TEST(CliErase, JsonPrintsTheRecordAndMovesTheLogToStderr) {
  const CliResult r = Erase({"0", "--quick", "--yes", "--json"});
  ASSERT_EQ(r.exitCode, 9) << r.err;
  const json record = json::parse(r.out);
  EXPECT_EQ(record["mode"], "quick");
  // The result alone already says that this was no erase of the drive.
  EXPECT_EQ(record["result"], "quick-wipe-complete");
  EXPECT_EQ(record["bytesToWrite"], 20'480'000);
  EXPECT_EQ(record["sanitization"]["method"], "quick wipe (not a sanitization)");
  EXPECT_EQ(record["erasureProven"], false);
  EXPECT_EQ(record["written"],
            json::array({Extent(0, 10'240'000), Extent(kDiskBytes - 10'240'000, kDiskBytes)}));
  const Lines log = LogLines(r.err);
  EXPECT_EQ(log.back(), "Remember to create new partitions.");
}

TEST(CliErase, WithoutATerminalAndWithoutYesNothingIsErased) {
  ReportFile report;
  const CliResult r = Erase({"0", "--report", report.Path()});
  EXPECT_EQ(r.exitCode, 8);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "Drive 0: \\\\.\\PhysicalDrive0, model \"Testa Disk A\", serial \"SNA1\", 67.1 MB (131,072 sectors)\n"
            "orvella-cli: not erasing: the erase must be confirmed, and standard input is not a terminal; "
            "add --yes to erase without a question.\n");
  EXPECT_EQ(report.Read()["result"], "not-confirmed");
}

// What a script names a drive by can move to another disk; the serial
// number cannot. Another serial than the one expected writes nothing.
TEST(CliErase, ExpectSerialErasesOnlyTheDriveWithThatSerialNumber) {
  ReportFile report;
  const CliResult refused = Erase({"0", "--yes", "--expect-serial", "SNB1", "--report", report.Path()});
  EXPECT_EQ(refused.exitCode, 8);
  EXPECT_EQ(refused.out, "");
  EXPECT_NE(refused.err.find("orvella-cli: not erasing: the drive's serial number is 'SNA1', not 'SNB1'; nothing "
                             "was written.\n"),
            std::string::npos)
      << refused.err;
  EXPECT_FALSE(fs::exists(report.Path()));

  const CliResult r = Erase({"0", "--quick", "--yes", "--expect-serial", "SNA1"});
  EXPECT_EQ(r.exitCode, 9) << r.err;
  EXPECT_EQ(LogLines(r.out).back(), "Remember to create new partitions.");
}

// A drive that reports no serial number is never the drive --expect-serial
// names, not even by the placeholder the desktop's list shows for it.
TEST(CliErase, ExpectSerialRefusesADriveWithoutASerialNumber) {
  for (const std::string expected : {"000000", "SNA1"}) {
    ReportFile report;
    const CliResult r = Erase({"2", "--yes", "--quick", "--expect-serial", expected, "--report", report.Path()});
    EXPECT_EQ(r.exitCode, 8);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("\\\\.\\PhysicalDrive2, model \"Stick C\", no serial number, 67.1 MB"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("orvella-cli: not erasing: the drive reports no serial number, so it cannot be the one "
                         "--expect-serial names ('" + expected + "'); nothing was written.\n"),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(report.Path()));
  }
}

// A script whose serial variable came out empty must not erase whatever
// drive the number names: an empty serial is a mistake of the command line.
TEST(CliErase, AnEmptyExpectedSerialIsAUsageErrorNotNoCheck) {
  ReportFile report;
  const CliResult r = Erase({"0", "--yes", "--quick", "--expect-serial", "", "--report", report.Path()});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "orvella-cli: --expect-serial needs a serial number\n");
  EXPECT_FALSE(fs::exists(report.Path()));
  const CliResult equals = Erase({"0", "--yes", "--quick", "--expect-serial=", "--report", report.Path()});
  EXPECT_EQ(equals.exitCode, 2);
  EXPECT_EQ(equals.out, "");
  EXPECT_FALSE(fs::exists(report.Path()));
}

// A volume with a mount point is taken down by the lock: the log has a line
// for it and the record an entry.
TEST(CliErase, TheRecordListsWhatWasUnmounted) {
  ReportFile report;
  const CliResult r = Erase({"1", "--quick", "--yes", "--report", report.Path()});
  ASSERT_EQ(r.exitCode, 3) << r.err;  // its bad places
  const json record = report.Read();
  EXPECT_EQ(record["unmounted"], json::array({{{"mountPoint", "M:\\"}, {"device", "\\\\.\\M:"}}}));
  bool logged = false;
  for (const std::string& line : LogLines(r.out)) logged |= line == "Unmounted M:\\ (\\\\.\\M:)";
  EXPECT_TRUE(logged) << r.out;
  EXPECT_EQ(Erase({"0", "--quick", "--yes", "--force", "--report", report.Path()}).exitCode, 9);  // a quick wipe
  EXPECT_EQ(report.Read()["unmounted"], json::array());
}

TEST(CliErase, AReportThatCannotBeWrittenStopsTheEraseBeforeItBegins) {
  const CliResult r = Erase({"0", "--yes", "--report", "/nonexistent/folder/record.json"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("cannot write the report file"), std::string::npos);
}

// Signals and pseudo-terminals are POSIX; on Windows the console runs
// Ctrl+C and the question.
#ifndef _WIN32
TEST(CliErase, CtrlCStopsAfterTheBlockInProgress) {
  ReportFile report;
  CliProcess cli(Args({"erase", "4", "--yes", "--report", report.Path()}));
  ASSERT_TRUE(cli.WaitForOutput("% complete")) << "the erase did not start";
  cli.Signal(SIGINT);
  const CliResult r = cli.Finish();
  EXPECT_EQ(r.exitCode, 5) << r.err;
  EXPECT_NE(r.err.find("Stopping after the block in progress..."), std::string::npos);
  const Lines log = LogLines(r.out);
  ASSERT_GE(log.size(), 3u);
  EXPECT_TRUE(log[log.size() - 2].starts_with("Operation cancelled at offset ")) << log[log.size() - 2];
  EXPECT_EQ(log.back(), "What was written before the stop has been flushed to the drive.");

  const json record = report.Read();
  EXPECT_EQ(record["result"], "cancelled");
  EXPECT_EQ(record["flushed"], true);
  EXPECT_EQ(record["verification"]["result"], "not-run");
  EXPECT_EQ(record["erasureProven"], false);
  ASSERT_EQ(record["written"].size(), 1u);
  const std::int64_t stoppedAt = record["written"][0]["to"];
  EXPECT_GT(stoppedAt, 0);
  EXPECT_LT(stoppedAt, 1'000'000'000);
}

// A dropped SSH connection hangs up the terminal: the erase stops as Ctrl+C
// stops it and leaves its record, instead of dying halfway without one.
TEST(CliErase, AHangUpStopsLikeCtrlCAndTheRecordIsWritten) {
  {
    ReportFile report;
    CliProcess cli(Args({"erase", "4", "--yes", "--report", report.Path()}));
    ASSERT_TRUE(cli.WaitForOutput("% complete")) << "the erase did not start";
    cli.Signal(SIGHUP);
    const CliResult r = cli.Finish();
    EXPECT_EQ(r.exitCode, 5) << r.err;
    EXPECT_EQ(report.Read()["result"], "cancelled");
  }
  {
    ReportFile report;
    CliTerminal terminal(Args({"erase", "4", "--yes", "--report", report.Path()}));
    ASSERT_TRUE(terminal.WaitForOutput("% complete")) << "the erase did not start";
    const CliResult r = terminal.HangUp();
    EXPECT_EQ(r.exitCode, 5);
    const json record = report.Read();
    EXPECT_EQ(record["result"], "cancelled");
    EXPECT_EQ(record["flushed"], true);
  }
}

// A reader that closes the pipe before the record comes (`| head -c 0`):
// the erase still writes its report, then says the answer was lost.
TEST(CliErase, AClosedPipeLosesOnlyTheAnswerNotTheReport) {
  ReportFile report;
  CliProcess cli(Args({"--json", "erase", "0", "--quick", "--yes", "--report", report.Path()}));
  cli.CloseOutput();
  const CliResult r = cli.Finish();
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_EQ(report.Read()["result"], "quick-wipe-complete");
  EXPECT_EQ(r.ErrLines().back(), "orvella-cli: cannot write to standard output: Broken pipe");
}

// The word to type is read off the drive, never the number just typed on
// the command line: "erase 0", Enter, "0" erases nothing.
TEST(CliErase, OnATerminalItAsksForTheEndOfTheSerialNumber) {
  {
    CliTerminal terminal(Args({"erase", "0", "--quick"}));
    ASSERT_TRUE(terminal.WaitForOutput("Type the drive's serial number (SNA1) to erase it"));
    terminal.Type("0\n");
    const CliResult r = terminal.Finish();
    EXPECT_EQ(r.exitCode, 8);
    // A quick wipe asks about the partitions, not all data.
    EXPECT_NE(r.out.find("Warning: The partitions on the selected device will be lost"), std::string::npos);
    EXPECT_NE(r.out.find("the rest of the data will still be readable"), std::string::npos);
    EXPECT_NE(r.out.find(kTitleA), std::string::npos);
    EXPECT_NE(r.out.find("Not confirmed; nothing was written."), std::string::npos);
    EXPECT_EQ(r.out.find("Formatting"), std::string::npos);
  }
  {
    CliTerminal terminal(Args({"erase", "0", "--quick"}));
    ASSERT_TRUE(terminal.WaitForOutput("(SNA1) to erase it"));
    terminal.Type(" SNA1 \n");
    const CliResult r = terminal.Finish();
    EXPECT_EQ(r.exitCode, 9) << r.out;  // a quick wipe
    // The progress line is redrawn in place, then cleared for the closing lines.
    EXPECT_NE(r.out.find("\r\033[KWriting 1 of 2: 0.3% complete   65,536 bytes of 20.48 MB   Current sector: 128"), std::string::npos);
    EXPECT_NE(r.out.find("Low-level format is complete."), std::string::npos);
  }
  {
    // Drive 3 reports no serial number: its number is asked for.
    CliTerminal terminal(Args({"erase", "3", "--quick"}));
    ASSERT_TRUE(terminal.WaitForOutput("Type the drive number (3) to erase it"));
    terminal.Type("\n");
    EXPECT_EQ(terminal.Finish().exitCode, 8);
  }
  {
    // A longer serial number: its last four characters.
    CliTerminal terminal({"--demo", "erase", "0", "--quick"});
    ASSERT_TRUE(terminal.WaitForOutput("Type the last four characters of the drive's serial number (9283)"));
    terminal.Type("VLT5H0A19283\n");  // the whole serial is not the word asked for
    EXPECT_EQ(terminal.Finish().exitCode, 8);
  }
}

#endif

}  // namespace
}  // namespace orvella::test
