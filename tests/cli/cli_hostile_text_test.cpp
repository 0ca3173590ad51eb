// A drive that lies about itself (cli_hostile_drives.json): what it reports
// reaches every screen of orvella-cli with its control characters shown,
// never obeyed, while the record keeps the bytes it reported.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

#include "cli/cli_process.h"
#include "support/hostile_text.h"

namespace orvella::test {
namespace {

using Lines = std::vector<std::string>;
using nlohmann::json;

constexpr char kShownProduct[] =
    "Stick\\x1b[2K\\x0d\\x1b[1A\\x1b[2KDrive 0: \\\\.\\PhysicalDrive0, model \"BACKUP DISK\"";

CliResult RunHostile(Lines args, const std::string& input = "") {
  args.insert(args.begin(), {"--drives", ORVELLA_CLI_HOSTILE_DRIVES});
  return RunCli(args, input);
}

bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(CliHostileText, TheListShowsTheNamesEscapesAndTheJsonEscapesThemAsJsonDoes) {
  const CliResult list = RunHostile({"list"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  EXPECT_FALSE(HoldsRawControls(list.out + list.err)) << list.out;
  EXPECT_TRUE(Holds(list.out, kShownProduct)) << list.out;
  EXPECT_TRUE(Holds(list.out, "  R\\x851  ")) << list.out;

  const CliResult answer = RunHostile({"--json", "list"});
  ASSERT_EQ(answer.exitCode, 0) << answer.err;
  EXPECT_FALSE(HoldsRawControls(answer.out)) << answer.out;
  EXPECT_TRUE(Holds(answer.out, "Stick\\u001b[2K\\r\\u001b[1A")) << answer.out;
  EXPECT_TRUE(Holds(answer.out, "\"firmware\": \"R\\u00851\"")) << answer.out;
  const json drive = json::parse(answer.out)["drives"][0];
  EXPECT_EQ(drive["model"], std::string("Evil ") + kSpoofingProduct);
  EXPECT_EQ(drive["firmware"], "R\u00851");
}

TEST(CliHostileText, TheEraseNamesTheDriveLogsAndRecordsItWithoutObeyingIt) {
  const CliResult r = RunHostile({"--json", "erase", "0", "--quick", "--yes", "--verify", "off"});
  EXPECT_EQ(r.exitCode, 9) << r.err;  // a quick wipe
  EXPECT_FALSE(HoldsRawControls(r.out)) << r.out;
  EXPECT_FALSE(HoldsRawControls(r.err)) << r.err;
  EXPECT_TRUE(Holds(r.err, std::string("Drive 0: \\\\.\\PhysicalDrive0, model \"Evil ") + kShownProduct + "\"")) << r.err;
  EXPECT_TRUE(Holds(r.err, "Low level format: [0]  Evil " + std::string(kShownProduct))) << r.err;
  // The record holds the bytes as reported; only the log shows them escaped.
  const json record = json::parse(r.out);
  EXPECT_EQ(record["drive"]["model"], std::string("Evil ") + kSpoofingProduct);
  EXPECT_EQ(record["media"]["model"], std::string("Evil ") + kSpoofingProduct);
  EXPECT_EQ(record["unmounted"][0]["mountPoint"], "E:\\\x1b[1A\u202e");
  EXPECT_TRUE(Holds(r.out, "\"mountPoint\": \"E:\\\\\\u001b[1A\\u202e\"")) << r.out;
  for (const json& line : record["log"]) EXPECT_FALSE(HoldsRawControls(line.get<std::string>()));
}

#ifndef _WIN32
TEST(CliHostileText, TheQuestionOnATerminalCannotBeRedrawnByTheDrive) {
  CliTerminal terminal({"--drives", ORVELLA_CLI_HOSTILE_DRIVES, "erase", "0"});
  ASSERT_TRUE(terminal.WaitForOutput("characters of the drive's serial number ("));
  terminal.Type("no\n");
  const CliResult r = terminal.Finish();
  EXPECT_EQ(r.exitCode, 8);
  std::string shown;  // the terminal's line ends are CR LF
  for (char c : r.out)
    if (c != '\r') shown += c;
  EXPECT_FALSE(HoldsRawControls(shown)) << shown;
  EXPECT_TRUE(Holds(shown, std::string("Model: Evil ") + kShownProduct + "\n")) << shown;
  EXPECT_TRUE(Holds(shown, "Serial: tSci\\x9bk13Sm\\x00N\n")) << shown;
  EXPECT_TRUE(Holds(shown, "    E:\\\\x1b[1A<U+202E> (")) << shown;
}
#endif

}  // namespace
}  // namespace orvella::test
