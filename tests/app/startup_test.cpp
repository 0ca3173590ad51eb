#include "app/startup.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "app/view_fakes.h"
#include "support/desktop_fakes.h"
#include "support/test_program.h"

namespace orvella {
namespace {

using test::ProgramHalted;
using test::Unstamped;

VirtualDrive Disk(std::uint32_t number) {
  VirtualDrive d;
  d.number = number;
  d.length = 1000000 * 512LL;
  d.vendor = "Maker";
  d.product = "Disk" + std::to_string(number);
  return d;
}

VirtualMachine ThreeDisks() {
  VirtualMachine machine;
  machine.drives = {Disk(0), Disk(1), Disk(2)};
  return machine;
}

class Startup : public ::testing::Test {
 protected:
  void Initialize(std::vector<std::u16string> extraArguments = {}) {
    for (auto& argument : extraArguments) d.application.arguments.push_back(std::move(argument));
    InitializeProgram(t.program, d.desktop, windows);
  }
  std::vector<std::u16string> DebugTexts() { return Unstamped(t.panes.debugLog); }

  test::TestProgram t{ThreeDisks()};
  test::FakeDesktop d;
  test::FakeMainView mainView;
  test::FakeChooseView chooseView;
  test::FakeDebugView debugView;
  ProgramWindows windows{mainView, chooseView, debugView};
};

TEST_F(Startup, DebugSwitchIsTheFirstArgumentInAnyLetterCase) {
  for (const std::u16string argument : {u"--debug", u"--DEBUG", u"--Debug"}) {
    test::TestProgram program{ThreeDisks()};
    test::FakeDesktop desktop;
    desktop.application.arguments.push_back(argument);
    test::FakeDebugView debug;
    ProgramWindows views{mainView, chooseView, debug};
    InitializeProgram(program.program, desktop.desktop, views);
    EXPECT_TRUE(program.program.DebugMode);
    EXPECT_EQ(debug.events, std::vector<std::string>{"show"});
    EXPECT_EQ(Unstamped(program.panes.debugLog).at(0), u"Debug mode activated");
  }
}

TEST_F(Startup, OtherArgumentsAndASecondArgumentDebugAreIgnored) {
  Initialize({u"--verbose", u"--debug"});
  EXPECT_FALSE(t.program.DebugMode);
  EXPECT_TRUE(t.panes.debugLog.empty());
  EXPECT_TRUE(debugView.events.empty());
}

TEST_F(Startup, DebugLinesTellPathPlatformAndVersionBeforeTheWalk) {
  Initialize({u"--debug"});
  const auto lines = DebugTexts();
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[1], u"Program Path: C:\\Program Files\\Orvella\\");
  EXPECT_EQ(lines[2], u"Platform: 6.1.7601   Service Pack 1  (32 bit)");
  EXPECT_EQ(lines[3], u"Program Version: Orvella 4.30");
  EXPECT_EQ(lines[4], u"Iterating through devices...");
}

TEST_F(Startup, PlatformLineTellsTheBitnessFromTheWow64Answer) {
  const std::vector<std::pair<Wow64Answer, std::u16string>> cases{
      {Wow64Answer::QueryMissing, u"  (32 bit)"}, {Wow64Answer::No, u"  (32 bit)"}, {Wow64Answer::Yes, u"  (64 bit)"}};
  for (const auto& [answer, ending] : cases) {
    test::TestProgram program{ThreeDisks()};
    program.os.wow64_ = answer;
    program.program.DebugMode = true;
    InitializeProgram(program.program, d.desktop, windows);
    EXPECT_TRUE(Unstamped(program.panes.debugLog).at(1).ends_with(ending));
  }
}

TEST_F(Startup, AFailingWow64QueryRaisesBadProcessHandle) {
  t.os.wow64_ = Wow64Answer::QueryFailed;
  try {
    Initialize();
    FAIL() << "no error raised";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Bad process handle");
  }
  EXPECT_EQ(t.program.DeviceCount, 0);
}

TEST_F(Startup, ProgramFolderKeepsTheTrailingSeparator) {
  EXPECT_EQ(ProgramFolder(u"C:\\Tools\\orvella.exe"), u"C:\\Tools\\");
  EXPECT_EQ(ProgramFolder(u"/usr/bin/orvella"), u"/usr/bin/");
  EXPECT_EQ(ProgramFolder(u"orvella"), u"");
}

TEST_F(Startup, ANonNtSystemIsRefusedBeforeTheWalk) {
  t.os.version_.platformId = 1;
  EXPECT_THROW(Initialize(), ProgramHalted);
  ASSERT_EQ(t.halt.messages.size(), 1u);
  EXPECT_EQ(t.halt.messages[0].text, u"Only the following versions of Windows are supported: 2003, 2008, XP, Vista, 7");
  EXPECT_EQ(t.halt.messages[0].caption, u"Error");
  EXPECT_TRUE(t.os.Requests().empty());
}

TEST_F(Startup, AMissingSetupLibraryEndsTheProgram) {
  t.os.setupLibraryLoads_ = false;
  EXPECT_THROW(Initialize(), ProgramHalted);
  ASSERT_EQ(t.halt.messages.size(), 1u);
  EXPECT_EQ(t.halt.messages[0].text, u"Error #01704");
  EXPECT_EQ(t.halt.messages[0].caption, u"Error");
  EXPECT_TRUE(t.os.Requests().empty());
}

TEST_F(Startup, CaptionsNoticesAndTheDriveCountAreSet) {
  Initialize();
  EXPECT_EQ(chooseView.caption, u"Device Selection - Orvella 4.30");
  EXPECT_EQ(chooseView.programName, u"ORVELLA 4.30");
  EXPECT_EQ(chooseView.copyright, kMakerNotice);
  EXPECT_EQ(chooseView.statusText, u"Disks found: 3");
  EXPECT_EQ(mainView.caption, u"Orvella 4.30");
  EXPECT_EQ(mainView.statusPanels[kStatusPanelProgram], u"Orvella 4.30");
  EXPECT_EQ(mainView.copyright, std::u16string(kMakerNotice) + u";   HTTPS://ORVELLA.EXAMPLE.ORG");
  EXPECT_EQ(d.application.title, u"Orvella 4.30");
  EXPECT_EQ(t.program.DeviceCount, 3);
}

TEST_F(Startup, FormatLogGetsTheThreeWarningLines) {
  Initialize();
  EXPECT_EQ(Unstamped(t.panes.formatLog),
            (std::vector<std::u16string>{u" * * * * *  WARNING!!! * * * * * ", u"DURING THE LOW LEVEL FORMAT PROCESS ",
                                         u"ALL DATA WILL BE FULLY and IRREVERSIBLY ERASED! "}));
  EXPECT_TRUE(t.panes.formatLog[0].starts_with(t.Stamp() + u"   "));
}

TEST_F(Startup, DeviceCountStartsFromZero) {
  t.program.DeviceCount = 5;
  Initialize();
  EXPECT_EQ(t.program.DeviceCount, 3);
}

}  // namespace
}  // namespace orvella
