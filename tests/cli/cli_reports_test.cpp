// orvella-cli's commands that only read: the catalogue, the two reports,
// the command line itself, in text and in JSON, with their exit codes.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cctype>
#include <fstream>
#include <sstream>

#include "cli/cli_process.h"

namespace orvella::test {
namespace {

using Lines = std::vector<std::string>;
using nlohmann::json;

CliResult Cli(Lines args) {
  args.insert(args.begin(), {"--drives", ORVELLA_CLI_DRIVES});
  return RunCli(args);
}

bool Contains(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The report without its two header lines that hold the time and product.
Lines ReportBody(const CliResult& r) {
  Lines lines = r.OutLines();
  lines.erase(lines.begin() + 1, lines.begin() + 3);
  return lines;
}

// The selection window's columns with its device path after the drive
// number, then the state and the stable link a script checks before it erases.
TEST(CliList, ShowsTheSelectionWindowsColumnsAfterTheDriveNumberThenTheDrivesNames) {
  const CliResult r = Cli({"list"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Lines lines = r.OutLines();
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0],
            "DRIVE  BUS   MODEL         FIRMWARE  SERIAL NUMBER  LBA      CAPACITY  DEVICE PATH         STATE      "
            "STABLE LINK");
  EXPECT_EQ(lines[1], "0      ATA   Testa Disk A  A1        SNA1           131072   67.1 MB   \\\\.\\PhysicalDrive0  -");
  EXPECT_EQ(lines[5], "4      SATA  Testa Slow E  E1        000000         1953125  1000 MB   \\\\.\\PhysicalDrive4  -");
  EXPECT_EQ(lines[6].substr(0, 7), "6      ");  // drive 5 does not open and is left out
  // Drive 7 is listed, with the reason why it cannot be erased.
  EXPECT_EQ(lines[7], "7      ATA   CF Small      H1        000000         65534    33.55 MB  \\\\.\\PhysicalDrive7  too small");
  EXPECT_EQ(lines[9], "Disks found: 8");
  EXPECT_EQ(r.err, "orvella-cli: 1 drive could not be opened: Access is denied.\n");
}

// With nothing listed because every drive refused access, the line says
// that rights are what is missing.
TEST(CliList, AListEmptyForWantOfRightsSaysSoOnStderr) {
  const std::string file = testing::TempDir() + "/refusing-drives.json";
  std::ofstream(file) << R"({"drives": [{"number": 0, "length": 0, "openError": "ERROR_ACCESS_DENIED"},
                                        {"number": 3, "length": 0, "openError": "ERROR_ACCESS_DENIED"}]})";
  const CliResult r = RunCli({"--drives", file, "list"});
  std::remove(file.c_str());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.OutLines().back(), "Disks found: 0");
  // Only those without administrator rights are told to get them.
  EXPECT_EQ(r.err, RunningAsAdministrator() ? "orvella-cli: 2 drives could not be opened: Access is denied.\n"
                                            : "orvella-cli: 2 drives could not be opened: Access is denied. Run "
                                              "orvella-cli as root (sudo) to list them.\n");
}

TEST(CliList, JsonGivesEveryEntryWithItsNumbers) {
  const CliResult r = Cli({"list", "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const json answer = json::parse(r.out);
  EXPECT_EQ(answer["count"], 8);
  const json& first = answer["drives"][0];
  EXPECT_EQ(first["drive"], 0);
  EXPECT_EQ(first["path"], "\\\\.\\PhysicalDrive0");  // simulated drives have no other name
  EXPECT_TRUE(first["stableLink"].is_null());
  EXPECT_EQ(first["removable"], false);
  EXPECT_EQ(first["readOnly"], false);
  EXPECT_EQ(first["mounted"], false);
  EXPECT_EQ(first["bus"], "ATA");
  EXPECT_EQ(first["model"], "Testa Disk A");
  EXPECT_EQ(first["serial"], "SNA1");
  EXPECT_EQ(first["sectors"], 131072);
  EXPECT_EQ(first["sectorSize"], 512);
  EXPECT_EQ(first["bytes"], 67108864);
  EXPECT_EQ(first["capacity"], "67.1 MB");
  EXPECT_EQ(first["title"], "[0]  Testa Disk A    A1    [67.1 MB]    (131072 512-byte sectors)");
  EXPECT_EQ(first["choosable"], true);
  EXPECT_EQ(answer["drives"][6]["drive"], 7);
  EXPECT_EQ(answer["drives"][6]["choosable"], false);
  // The stick reports no serial number, and the list says so rather than
  // giving a placeholder a script could take for one.
  EXPECT_EQ(answer["drives"][2]["drive"], 2);
  EXPECT_TRUE(answer["drives"][2]["serial"].is_null());
}

TEST(CliDetails, WritesTheDeviceDetailsReport) {
  const CliResult r = Cli({"details", "0"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Lines body = ReportBody(r);
  const Lines expected = {" ",
                          "Device details for [0]  Testa Disk A    A1    [67.1 MB]    (131072 512-byte sectors)",
                          " ",
                          "Model: Testa Disk A",
                          "Firmware Revision: A1",
                          "Serial Number: SNA1",
                          " ",
                          "PHYSICAL PARAMETERS:",
                          "LBA mode is supported"};
  EXPECT_EQ(Lines(body.begin(), body.begin() + 9), expected);
  // The drive's erase methods follow the report.
  const auto methods = std::find(body.begin(), body.end(), "ERASE METHODS:");
  ASSERT_NE(methods, body.end());
  EXPECT_EQ(*(methods - 2), "Command Queuing is not supported by the device");
  EXPECT_GE(body.end() - methods, 1 + 7);
  EXPECT_TRUE(r.OutLines()[1].starts_with("Current date and time: "));
}

TEST(CliDetails, AWindowsDriveNameIsTheDriveOfItsNumber) {
  const Lines byNumber = ReportBody(Cli({"details", "0"}));
  for (const char* name : {"\\\\.\\PhysicalDrive0", "\\\\.\\physicaldrive0"}) {
    const CliResult r = Cli({"details", name});
    ASSERT_EQ(r.exitCode, 0) << name << ": " << r.err;
    EXPECT_EQ(ReportBody(r), byNumber) << name;
  }
  for (const char* name : {"\\\\.\\PhysicalDrive256", "\\\\.\\PhysicalDrive", "\\\\.\\PhysicalDrive1x"})
    EXPECT_EQ(Cli({"details", name}).exitCode, 2) << name;
}

TEST(CliDetails, JsonGivesThePassportFields) {
  const CliResult r = Cli({"--json", "details", "0"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const json answer = json::parse(r.out);
  EXPECT_EQ(answer["drive"]["drive"], 0);
  EXPECT_EQ(answer["identified"], true);
  const json& p = answer["passport"];
  EXPECT_EQ(p["model"], "Testa Disk A");
  EXPECT_EQ(p["serial"], "SNA1");
  EXPECT_EQ(p["firmware"], "A1");
  EXPECT_EQ(p["lba28Supported"], true);
  EXPECT_EQ(p["lba48Supported"], false);
  EXPECT_EQ(p["sectors"], 131072);
  EXPECT_EQ(p["capacityBytes"], 67108864);
  EXPECT_EQ(p["smartSupported"], true);
  EXPECT_EQ(p["maxQueueDepth"], 0);
}

// A drive that is there but does not answer has its own code, apart from
// 7 for a drive that is not there at all.
TEST(CliDetails, ADriveThatGivesNoIdentificationEndsWithTen) {
  const CliResult text = Cli({"details", "8"});
  EXPECT_EQ(text.exitCode, 10);
  const Lines lines = text.OutLines();
  EXPECT_TRUE(Contains(lines, "Details are unavailable for this device.")) << text.out;
  // What the system knows of the card reader all the same.
  EXPECT_TRUE(Contains(lines, "Bus: SD")) << text.out;
  EXPECT_EQ(lines.back(), "Device path: \\\\.\\PhysicalDrive8");
  const CliResult answer = Cli({"details", "8", "--json"});
  EXPECT_EQ(answer.exitCode, 10);
  const json j = json::parse(answer.out);
  EXPECT_EQ(j["identified"], false);
  EXPECT_EQ(j["outcome"], "unavailable");
  EXPECT_TRUE(j["passport"].is_null());
}

TEST(CliSmart, WritesTheAttributeTable) {
  const CliResult r = Cli({"smart", "0"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Lines body = ReportBody(r);
  const Lines expected = {
      " ",
      "SMART data for [0]  Testa Disk A    A1    [67.1 MB]    (131072 512-byte sectors)",
      " ",
      "          Attribute                      Current   Worst          Raw       Note",
      std::string(88, '-'),
      " 5    05  Reallocated sectors count        100      100                 0",
      " 194  C2  HDA Temperature                   36       45                36  (36 degrees) ",
      " ",
      "          Attribute                   Threshold  State              Raw value",
      std::string(88, '-'),
      " 5    05  Reallocated sectors count           0  ok                 0 sectors",
      " 194  C2  HDA Temperature                     0  ok                 36 \u00B0C",
      " ",
      "Overall health self-assessment: PASSED",
      " "};
  EXPECT_EQ(body, expected);
}

TEST(CliSmart, JsonGivesTheAttributeRows) {
  const CliResult r = Cli({"smart", "0", "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const json answer = json::parse(r.out);
  EXPECT_EQ(answer["supported"], true);
  ASSERT_EQ(answer["attributes"].size(), 2u);
  EXPECT_EQ(answer["attributes"][1], json({{"id", 194},
                                           {"name", "HDA Temperature"},
                                           {"commonName", nullptr},
                                           {"current", 36},
                                           {"worst", 45},
                                           {"raw", 36},
                                           {"threshold", 0},
                                           {"status", "ok"}}));
  EXPECT_EQ(answer["health"], json({{"verdict", "passed"}, {"thresholdsRead", true}}));
}

TEST(CliSmart, ADriveWithoutSmartEndsWithTen) {
  const CliResult r = Cli({"smart", "8"});
  EXPECT_EQ(r.exitCode, 10);
  EXPECT_EQ(r.OutLines().back(), "SMART is not supported by this device.");
  const json answer = json::parse(Cli({"--json", "smart", "8"}).out);
  EXPECT_EQ(answer["supported"], false);
  EXPECT_TRUE(answer["attributes"].empty());
}

TEST(CliDrives, DrivesThatCannotBeHadAreRefusedWithTheirCodes) {
  for (const char* command : {"details", "smart", "erase"}) {
    SCOPED_TRACE(command);
    const CliResult refused = Cli({command, "5"});  // did not open in the walk: access denied
    EXPECT_EQ(refused.exitCode, 7);
    EXPECT_EQ(refused.err, std::string("orvella-cli: drive 5 could not be opened: Access is denied") +
                               (RunningAsAdministrator() ? "" : "; run orvella-cli as root (sudo)") + "\n");
    const CliResult missing = Cli({command, "9"});
    EXPECT_EQ(missing.exitCode, 7);
    EXPECT_EQ(missing.err, "orvella-cli: no drive 9 was found; 'orvella-cli list' shows the drives\n");
  }
  // A drive too small to be chosen for the erase may still be read.
  const CliResult small = Cli({"erase", "7"});
  EXPECT_EQ(small.exitCode, 8);
  EXPECT_EQ(small.err,
            "orvella-cli: Cannot access this device: This device cannot be accessed because it is "
            "smaller than 65535 sectors.\n");
  EXPECT_EQ(small.out, "");
  for (const char* command : {"details", "smart"}) {
    const CliResult read = Cli({command, "7", "--json"});
    EXPECT_EQ(read.err, "") << command;
    EXPECT_EQ(json::parse(read.out)["drive"]["sectors"], 65534) << command;
  }
  // Someone else holds drive 6: it can be read, not taken for the erase.
  EXPECT_EQ(Cli({"details", "6"}).exitCode, 10);  // opened, but gives no identification
  const CliResult held = Cli({"erase", "6", "--yes"});
  EXPECT_EQ(held.exitCode, 7);
  EXPECT_TRUE(held.err.starts_with("orvella-cli: Error opening device: ")) << held.err;
}

TEST(CliUsage, MistakesEndWithTwoAndAHint) {
  const std::vector<Lines> mistakes = {{},
                                       {"list", "--frobnicate"},
                                       {"erase"},
                                       {"erase", "first"},
                                       {"erase", "1000"},
                                       {"details", "/dev/disk/by-id/not-simulated"},
                                       {"--demo", "list"},  // with --drives
                                       {"wipe", "1"}};
  for (const Lines& args : mistakes) {
    const CliResult r = Cli(args);
    EXPECT_EQ(r.exitCode, 2) << args.size() << ": " << r.err;
    EXPECT_TRUE(r.err.starts_with("orvella-cli: ")) << r.err;
    EXPECT_EQ(r.out, "");
  }
  const CliResult badFile = RunCli({"--drives", "/nonexistent/drives.json", "list"});
  EXPECT_EQ(badFile.exitCode, 2);
}

TEST(CliUsage, HelpAndVersionAnswerOnStdout) {
  const CliResult help = RunCli({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("Usage: orvella-cli"), std::string::npos);
  for (const char* line : {"  0  success", "  3  erase finished, but some sectors", "  4  a volume of the drive",
                           "  5  erase cancelled", "  6  the drive went away", "  7  the drive was not found",
                           "  8  erase not confirmed", "  9  erase done as asked, but not a verified erase", "  2  bad usage"})
    EXPECT_NE(help.out.find(line), std::string::npos) << line;

  EXPECT_NE(help.out.find("  10  the drive is there but gave no identification"), std::string::npos);

  const CliResult eraseHelp = RunCli({"erase", "--help"});
  EXPECT_EQ(eraseHelp.exitCode, 0);
  EXPECT_NE(eraseHelp.out.find("--quick"), std::string::npos);
  EXPECT_NE(eraseHelp.out.find("--report FILE"), std::string::npos);
  EXPECT_NE(eraseHelp.out.find("--force"), std::string::npos);
  EXPECT_NE(eraseHelp.out.find("  --verify full|sample|off    read the drive back"), std::string::npos)
      << eraseHelp.out;
  EXPECT_EQ(eraseHelp.out.find("{full,sample,off}"), std::string::npos);
}

// Each command's help lists the exit codes that command can end with, and
// no other.
TEST(CliUsage, EachCommandsHelpListsItsOwnExitCodes) {
  const auto codes = [](const std::string& help) {
    std::vector<int> listed;
    const std::size_t from = help.find("Exit status:\n");
    std::istringstream lines(help.substr(from == std::string::npos ? help.size() : from));
    for (std::string line; std::getline(lines, line);)
      if (line.size() > 4 && line.starts_with("  ") && std::isdigit(static_cast<unsigned char>(line[2])))
        listed.push_back(std::stoi(line.substr(2)));
    return listed;
  };
  EXPECT_EQ(codes(RunCli({"list", "--help"}).out), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(codes(RunCli({"details", "--help"}).out), (std::vector<int>{0, 1, 2, 7, 10}));
  EXPECT_EQ(codes(RunCli({"smart", "--help"}).out), (std::vector<int>{0, 1, 2, 7, 10}));
  EXPECT_EQ(codes(RunCli({"erase", "--help"}).out), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(codes(RunCli({"methods", "--help"}).out), (std::vector<int>{0, 1, 2, 7}));
  for (const char* command : {"keygen", "verify"}) {
    const std::string help = RunCli({command, "--help"}).out;
    EXPECT_EQ(codes(help), (std::vector<int>{0, 1, 2})) << command;
    EXPECT_EQ(help.find("--drives or --demo"), std::string::npos) << command;  // no drive involved
  }
  EXPECT_EQ(codes(RunCli({"--help"}).out), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

  const CliResult version = RunCli({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "orvella-cli (Orvella) 4.30\n");
}

TEST(CliDebug, WritesTheDebugLinesToStderrOnly) {
  const CliResult r = Cli({"--debug", "list", "--json"});
  ASSERT_EQ(r.exitCode, 0);
  const Lines debug = r.ErrLines();
  ASSERT_FALSE(debug.empty());
  EXPECT_EQ(debug[0], "Iterating through devices...");
  EXPECT_TRUE(Contains(debug, "Trying device \\\\.\\PhysicalDrive5"));
  EXPECT_EQ(json::parse(r.out)["count"], 8);
  // Without --debug only the note of the drive that would not open is there.
  EXPECT_EQ(Cli({"list"}).err, "orvella-cli: 1 drive could not be opened: Access is denied.\n");
}

TEST(CliDemo, TheBuiltInDemoDrivesAreListed) {
  const CliResult r = RunCli({"--demo", "list"});
  ASSERT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.OutLines().back(), "Disks found: 7");
}

}  // namespace
}  // namespace orvella::test
