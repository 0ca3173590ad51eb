#include "core/log_sinks.h"

#include <gtest/gtest.h>

#include "core/halt.h"
#include "support/test_program.h"

namespace orvella {
namespace {

using test::TestProgram;

TEST(LogSinks, StampAndThreeBlanksPrecedeFormatAndDebugLines) {
  TestProgram t;
  t.program.DebugMode = true;
  AddFormatLog(t.program, u"Formatting... ");
  AddFormatLog(t.program, u"");
  AddDebugLog(t.program, u"Debug mode activated");
  EXPECT_EQ(t.panes.formatLog, (std::vector<std::u16string>{u"08.12.2026 14:30:05   Formatting... ",
                                                            u"08.12.2026 14:30:05   "}));
  EXPECT_EQ(t.panes.debugLog, std::vector<std::u16string>{u"08.12.2026 14:30:05   Debug mode activated"});
}

TEST(LogSinks, AtMidnightTheStampIsTheDateAlone) {
  TestProgram t;
  t.clock.Set({2026, 12, 9, 0, 0, 0, 400});
  AddFormatLog(t.program, u"x");
  t.clock.Set({2026, 12, 9, 0, 0, 1, 0});
  AddFormatLog(t.program, u"y");
  EXPECT_EQ(t.panes.formatLog, (std::vector<std::u16string>{u"09.12.2026   x", u"09.12.2026 00:00:01   y"}));
}

TEST(LogSinks, DebugSinkDoesNothingAtAllWithoutDebugMode) {
  TestProgram t;
  const int readsBefore = t.clock.reads;
  AddDebugLog(t.program, u"Trying device");
  EXPECT_TRUE(t.panes.debugLog.empty());
  EXPECT_EQ(t.clock.reads, readsBefore);
}

TEST(LogSinks, ReportLinesAndTheUnstampedLineKeepTheirText) {
  TestProgram t;
  AddDetailsLine(t.program, u" ");
  AddSmartLine(t.program, u"  padded  ");
  DriveRun run(t.program);
  AddFormatLogUnstamped(run, u"Invalid handle");
  EXPECT_EQ(t.panes.details, std::vector<std::u16string>{u" "});
  EXPECT_EQ(t.panes.smart, std::vector<std::u16string>{u"  padded  "});
  EXPECT_EQ(t.panes.formatLog, std::vector<std::u16string>{u"Invalid handle"});
  EXPECT_EQ(run.LogLines(), std::vector<std::u16string>{u"Invalid handle"});
}

TEST(FatalError, ShowsTheMessageThenHaltsWithExitCodeZero) {
  TestProgram t;
  try {
    FatalError(t.program, u"Error opening device: Access is denied", u"Error");
    FAIL() << "FatalError returned";
  } catch (const test::ProgramHalted& halted) {
    EXPECT_EQ(halted.exitCode, 0);
  }
  ASSERT_EQ(t.halt.messages.size(), 1u);
  EXPECT_EQ(t.halt.messages[0].text, u"Error opening device: Access is denied");
  EXPECT_EQ(t.halt.messages[0].caption, u"Error");
}

}  // namespace
}  // namespace orvella
