// orvella-cli given bad input at its edges: broken or hostile drive files,
// odd drive numbers and command words, report paths that cannot be written,
// a stdout that loses what is written to it, and runs that are refused or
// killed while an earlier report file is in place. Each gives a clear
// message and the right exit code, and no earlier record is lost.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/cli_process.h"

namespace orvella::test {
namespace {

using Lines = std::vector<std::string>;
using nlohmann::json;
namespace fs = std::filesystem;

// A folder of the test's own, removed with everything in it (no mount
// point is ever below it).
class Scratch {
 public:
  Scratch() : folder_(fs::temp_directory_path() / ("orvella-cli-bad-input-" + std::to_string(getpid()))) {
    fs::create_directories(folder_);
  }
  ~Scratch() { fs::remove_all(folder_); }
  std::string Write(const std::string& name, const std::string& text) const {
    std::ofstream(folder_ / name, std::ios::binary) << text;
    return (folder_ / name).string();
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(folder_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }
  std::size_t Entries() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder_), {})); }

 private:
  fs::path folder_;
};

Lines WithDrives(Lines args) {
  args.insert(args.begin(), {"--drives", ORVELLA_CLI_DRIVES});
  return args;
}

constexpr char kEarlierRecord[] = "{\"result\": \"complete\", \"earlier\": true}\n";

TEST(CliBadInput, AFileWithANumberBeyondADoubleIsRefusedNotACrash) {
  Scratch scratch;
  const std::string file = scratch.Write("huge.json", R"({"drives":[{"number":0,"length":1e400}]})");
  const CliResult r = RunCli({"--drives", file, "list"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "orvella-cli: " + file + ": not valid JSON: number overflow parsing '1e400'\n");
}

// A zero byte in a volume name would end the drive strings list early, and
// the locked volume after it would never be asked: the file is refused.
TEST(CliBadInput, AVolumeNameThatWouldHideALaterVolumeIsRefused) {
  Scratch scratch;
  const std::string file = scratch.Write("hidden.json", R"({"drives": [{"number": 0,
      "length": {"sectors": 200000},
      "volumes": [{"name": "\u0000"}, {"name": "D:", "lockError": "ERROR_ACCESS_DENIED"}]}]})");
  const CliResult r = RunCli({"--drives", file, "erase", "0", "--yes", "--quick"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("volumes[0].name: must not hold a zero byte or a backslash"), std::string::npos) << r.err;
}

// A hostile description must not exhaust the stack, the memory or the
// terminal: nesting and size are bounded before the file is read whole, and
// a message quotes no more than the start of a key.
TEST(CliBadInput, DeepLargeAndLongWindedFilesAreRefusedBriefly) {
  Scratch scratch;
  const std::string deep = scratch.Write("deep.json", "{\"drives\":" + std::string(60'000, '[') +
                                                          std::string(60'000, ']') + "}");
  CliResult r = RunCli({"--drives", deep, "list"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "orvella-cli: " + deep + ": nests deeper than 32 levels\n");

  const std::string large = scratch.Write("large.json", "");
  fs::resize_file(large, std::uintmax_t{3} << 30);  // sparse: takes no room
  r = RunCli({"--drives", large, "list"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "orvella-cli: " + large + ": cannot be read: larger than 16 MiB\n");
  fs::remove(large);

  const std::string key(1'000'000, 'k');
  const std::string longKey = scratch.Write("key.json", "{\"drives\": [], \"" + key + "\": 1}");
  r = RunCli({"--drives", longKey, "list"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "orvella-cli: " + longKey + ": " + key.substr(0, 40) +
                       "... (1000000 bytes): is not a known key (misspelt?)\n");
  const std::string longToken = scratch.Write("token.json", "{\"drives\": [\"" + key + "\n\"]}");
  r = RunCli({"--drives", longToken, "list"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_LT(r.err.size(), 400u) << r.err.substr(0, 400);
}

#ifndef _WIN32  // Linux devices
TEST(CliBadInput, EveryUnreadableDriveFileGivesTheSameExitCode) {
  for (const char* path : {"/proc/self/mem", "/nonexistent.json", "/etc", "/dev/zero"}) {
    const CliResult r = RunCli({"--drives", path, "list"});
    EXPECT_EQ(r.exitCode, 2) << path << ": " << r.err;
  }
  EXPECT_EQ(RunCli({"--drives", "/proc/self/mem", "list"}).err,
            "orvella-cli: /proc/self/mem: cannot be read: Input/output error\n");
}

TEST(CliBadInput, ADeviceIsNoDriveFile) {
  const CliResult r = RunCli({"--drives", "/dev/null", "list"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "orvella-cli: /dev/null: cannot be read: not a regular file (a drive description file is "
                   "needed)\n");
}

#endif

TEST(CliBadInput, AWordThatIsNoCommandIsNamed) {
  const CliResult r = RunCli({"--demo", "frobnicate"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(r.err.starts_with(
      "orvella-cli: 'frobnicate' is not a command (list, details, smart, methods, unlock, erase, station, keygen, verify)\n"))
      << r.err;
  EXPECT_TRUE(RunCli({"--demo"}).err.starts_with("orvella-cli: a command is needed"));
}

TEST(CliBadInput, AnUnknownSwitchIsNamedAsAnOption) {
  const CliResult after = RunCli({"--demo", "erase", "3", "--bogus"});
  EXPECT_EQ(after.exitCode, 2);
  EXPECT_TRUE(after.err.starts_with("orvella-cli: 'erase' has no option '--bogus'\n")) << after.err;
  const CliResult before = RunCli({"--demo", "--bogus", "list"});
  EXPECT_EQ(before.exitCode, 2);
  EXPECT_TRUE(before.err.starts_with("orvella-cli: 'list' has no option '--bogus'\n")) << before.err;
  const CliResult alone = RunCli({"--demo", "--bogus"});
  EXPECT_EQ(alone.exitCode, 2);
  EXPECT_TRUE(alone.err.starts_with("orvella-cli: there is no option '--bogus'\n")) << alone.err;
}

TEST(CliBadInput, DriveNumbersMayHaveAnyLeadingZeros) {
  const CliResult plain = RunCli(WithDrives({"details", "1", "--json"}));
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  for (const char* drive : {"01", "001", "0001", "0000000001"}) {
    const CliResult padded = RunCli(WithDrives({"details", drive, "--json"}));
    EXPECT_EQ(padded.exitCode, 0) << drive << ": " << padded.err;
    EXPECT_EQ(padded.out, plain.out) << drive;
  }
  for (const char* drive : {"256", "0256", "99999999999999999999"}) {
    const CliResult r = RunCli(WithDrives({"details", drive}));
    EXPECT_EQ(r.exitCode, 2) << drive;
    EXPECT_TRUE(r.err.starts_with("orvella-cli: DRIVE must be a drive number (0 to 255)")) << r.err;
  }
}

#ifndef _WIN32  // Linux devices
// A script that reads the answer must learn that it never arrived.
TEST(CliBadInput, AStdoutThatLosesTheAnswerEndsWithAFailure) {
  const CliResult list = RunCli(WithDrives({"--json", "list"}), "", "/dev/full");
  EXPECT_EQ(list.exitCode, 1);
  EXPECT_EQ(list.err,
            "orvella-cli: 1 drive could not be opened: Access is denied.\n"  // drive 5 of the drive file
            "orvella-cli: cannot write to standard output: No space left on device\n");

  const CliResult erase = RunCli(WithDrives({"--json", "erase", "0", "--yes", "--quick"}), "", "/dev/full");
  EXPECT_EQ(erase.exitCode, 1);
  EXPECT_NE(erase.err.find("orvella-cli: cannot write to standard output: No space left on device"),
            std::string::npos)
      << erase.err;

  // An erase that failed keeps its own exit code.
  EXPECT_EQ(RunCli(WithDrives({"--json", "erase", "1", "--yes"}), "", "/dev/full").exitCode, 3);
  EXPECT_EQ(RunCli({"--help"}, "", "/dev/full").exitCode, 1);
}

#endif

TEST(CliBadInput, ReportPathsThatCannotBeWrittenAreRefusedBeforeTheErase) {
  const CliResult empty = RunCli(WithDrives({"erase", "0", "--yes", "--report", ""}));
  EXPECT_EQ(empty.exitCode, 2);
  EXPECT_EQ(empty.err, "orvella-cli: --report needs a file name\n");

  Scratch scratch;
  std::vector<std::pair<std::string, std::string>> refused = {
      {"/nonexistent/folder/record.json", "No such file or directory"}, {scratch.PathOf(""), "it is a folder"}};
#ifndef _WIN32  // a Linux device
  refused.emplace_back("/dev/full", "it is not a regular file");
#endif
  for (const auto& [path, reason] : refused) {
    const CliResult r = RunCli(WithDrives({"erase", "0", "--yes", "--quick", "--report", path}));
    EXPECT_EQ(r.exitCode, 1) << path;
    EXPECT_EQ(r.out, "") << path;  // nothing was even begun
    EXPECT_EQ(r.ErrLines().back(), "orvella-cli: cannot write the report file " + path + ": " + reason +
                                        "; nothing was erased");
  }
}

// The running system's disk is refused whatever --yes says, and nothing
// is locked, unmounted or written.
TEST(CliBadInput, TheDiskOfTheRunningSystemIsNeverErased) {
  Scratch scratch;
  const std::string file = scratch.Write("system.json", R"({"drives": [{"number": 0,
      "length": {"sectors": 200000},
      "volumes": [{"name": "C:", "mountPoint": "/"}, {"name": "D:", "mountPoint": "/home"}]}]})");
  const CliResult r = RunCli({"--drives", file, "erase", "0", "--yes", "--quick"});
  EXPECT_EQ(r.exitCode, 8);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.ErrLines().back(), "orvella-cli: not erasing \\\\.\\PhysicalDrive0: it holds the running system (the file "
                                 "system at /); nothing was written.");
  const CliResult list = RunCli({"--drives", file, "list"});
  EXPECT_NE(list.out.find("  system disk"), std::string::npos) << list.out;
}

// The report file may hold the record of another drive: it is replaced
// only where --force says so, and then only by a whole record.
TEST(CliBadInput, AnExistingReportIsKeptUnlessForceIsGiven) {
  Scratch scratch;
  const std::string report = scratch.Write("record.json", kEarlierRecord);
  const CliResult r = RunCli(WithDrives({"erase", "0", "--yes", "--quick", "--report", report}));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");  // nothing was begun
  EXPECT_EQ(r.ErrLines().back(), "orvella-cli: the report file " + report +
                                     " exists already; give another name, or --force to replace it; "
                                     "nothing was erased");
  EXPECT_EQ(scratch.Read("record.json"), kEarlierRecord);

  EXPECT_EQ(RunCli(WithDrives({"erase", "0", "--yes", "--quick", "--force", "--report", report})).exitCode, 9);
  EXPECT_EQ(json::parse(scratch.Read("record.json"))["result"], "quick-wipe-complete");
  EXPECT_EQ(scratch.Entries(), 1u);
}

TEST(CliBadInput, ARunThatIsRefusedBeforeTheEraseLeavesAnEarlierReport) {
  Scratch scratch;
  const std::string report = scratch.Write("record.json", kEarlierRecord);
  for (const char* drive : {"5", "6", "7"}) {  // not found, held by someone else, too small
    const CliResult r = RunCli(WithDrives({"erase", drive, "--yes", "--force", "--report", report}));
    EXPECT_NE(r.exitCode, 0) << drive;
    EXPECT_EQ(scratch.Read("record.json"), kEarlierRecord) << drive;
  }
  // A refused lock still records its run, whole.
  EXPECT_EQ(RunCli(WithDrives({"erase", "2", "--yes", "--quick", "--force", "--report", report})).exitCode, 4);
  EXPECT_EQ(json::parse(scratch.Read("record.json"))["result"], "lock-refused");
  EXPECT_EQ(scratch.Entries(), 1u);  // no temporary file stays beside it
}

#ifndef _WIN32  // file modes, links and signals of POSIX
// The record names the machine's serial number, which only root reads: a
// new report is its owner's alone, a replaced one keeps the mode it had.
TEST(CliBadInput, ANewReportIsTheOwnersAloneAndAReplacedOneKeepsItsMode) {
  Scratch scratch;
  const auto mode = [&](const char* name) { return fs::status(scratch.PathOf(name)).permissions() & fs::perms::all; };
  ASSERT_EQ(RunCli(WithDrives({"erase", "0", "--yes", "--quick", "--report", scratch.PathOf("new.json")})).exitCode, 9);
  EXPECT_EQ(mode("new.json"), fs::perms::owner_read | fs::perms::owner_write);

  const std::string shared = scratch.Write("shared.json", kEarlierRecord);
  fs::permissions(shared, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // An existing file is replaced only with --force.
  ASSERT_EQ(RunCli(WithDrives({"erase", "0", "--yes", "--quick", "--force", "--report", shared})).exitCode, 9);
  EXPECT_NE(scratch.Read("shared.json"), kEarlierRecord);
  EXPECT_EQ(mode("shared.json"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// A link out of its folder (as /dev/stdout is) would be replaced by a
// regular file; one to a file beside it is followed and stays a link.
TEST(CliBadInput, AReportLinkOutOfItsFolderIsRefusedAndOneBesideItFollowed) {
  Scratch scratch;
  fs::create_directories(scratch.PathOf("reports"));
  const std::string outside = scratch.Write("outside.json", kEarlierRecord);
  const std::string link = scratch.PathOf("reports/link.json");
  fs::create_symlink(outside, link);
  const CliResult r = RunCli(WithDrives({"erase", "0", "--yes", "--quick", "--report", link}));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.ErrLines().back(), "orvella-cli: cannot write the report file " + link +
                                     ": it is a link to a file outside its folder; nothing was erased");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(scratch.Read("outside.json"), kEarlierRecord);

  const std::string beside = scratch.PathOf("beside.json");
  fs::create_symlink("outside.json", beside);
  ASSERT_EQ(RunCli(WithDrives({"erase", "0", "--yes", "--quick", "--force", "--report", beside})).exitCode, 9);
  EXPECT_TRUE(fs::is_symlink(beside));
  EXPECT_EQ(json::parse(scratch.Read("outside.json"))["result"], "quick-wipe-complete");
}

TEST(CliBadInput, AKilledRunLeavesTheEarlierReportWhole) {
  Scratch scratch;
  const std::string report = scratch.Write("record.json", kEarlierRecord);
  CliProcess cli(WithDrives({"erase", "4", "--yes", "--force", "--report", report}));
  ASSERT_TRUE(cli.WaitForOutput("% complete")) << "the erase did not start";
  cli.Signal(SIGKILL);
  cli.Finish();
  EXPECT_EQ(scratch.Read("record.json"), kEarlierRecord);
  EXPECT_EQ(scratch.Entries(), 1u);
}

// A block of a drive this slow takes over a minute; a stop must not wait
// for it.
TEST(CliBadInput, ASlowSimulatedDriveStopsAtOnce) {
  Scratch scratch;
  const std::string file = scratch.Write("slow.json", R"({"drives": [{"number": 0,
      "length": {"sectors": 200000}, "speedLimitBytesPerSecond": 1000}]})");
  for (const int signal : {SIGINT, SIGTERM}) {
    CliProcess cli({"--drives", file, "erase", "0", "--yes"});
    // Progress shows only once a block is written, so the start is the mark.
    ASSERT_TRUE(cli.WaitForOutput("Formatting...")) << "the erase did not start";
    const auto sent = std::chrono::steady_clock::now();
    cli.Signal(signal);
    const CliResult r = cli.Finish();
    EXPECT_EQ(r.exitCode, 5) << signal << ": " << r.err;
    EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(10)) << signal;
  }
}
#endif

}  // namespace
}  // namespace orvella::test
