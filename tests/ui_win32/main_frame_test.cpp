#include <algorithm>

#include "support/ata_drives.h"
#include "ui/win32/memo.h"
#include "ui_win32/window_fixture.h"

namespace orvella {
namespace {

using Control = win32ui::MainFrame::Control;

VirtualMachine OneHardDisk(double bytesPerSecond = 0) {
  VirtualMachine machine;
  machine.drives = {test::HardDisk(0)};
  machine.drives[0].speedLimitBytesPerSecond = bytesPerSecond;
  return machine;
}

bool EndsWith(const std::u16string& text, const std::u16string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::size_t CountContaining(const std::vector<std::u16string>& lines, const std::u16string& part) {
  return static_cast<std::size_t>(
      std::count_if(lines.begin(), lines.end(), [&](const std::u16string& l) { return l.find(part) != l.npos; }));
}

class MainFrameTest : public test::WindowFixture {
 protected:
  win32ui::MainFrame& Main() { return desktop->Main(); }
  HWND Handle(Control control) { return Main().ControlHandle(control); }
  bool Enabled(Control control) { return IsWindowEnabled(Handle(control)) != FALSE; }
  bool OnlyStopEnabled() {
    return !Enabled(Control::RunBenchmarks) && !Enabled(Control::GetSmart) && !Enabled(Control::QuickWipe) &&
           Enabled(Control::Stop);
  }
  bool FormatControlsAtRest() {
    return Enabled(Control::RunBenchmarks) && Enabled(Control::GetSmart) && Enabled(Control::QuickWipe) &&
           !Enabled(Control::Stop);
  }
  int BarPosition() { return static_cast<int>(SendMessageW(Main().ProgressBar(), PBM_GETPOS, 0, 0)); }
  std::vector<std::u16string> FormatLog() { return win32ui::MemoLines(Main().FormatLog()); }
};

TEST_F(MainFrameTest, AfterStartUpTheHeaderStatusBarAndDetailsShowTheChosenDrive) {
  Build(OneHardDisk());
  StartWithLastDrive();
  const std::u16string title = desktop->Drive().DeviceTitle;
  EXPECT_EQ(title.rfind(u"[0]  ", 0), 0u);
  EXPECT_EQ(win32ui::WindowText(Handle(Control::DiskName)), title);
  EXPECT_EQ(Main().Status().Text(0), u"Orvella 4.30");
  EXPECT_EQ(Main().Status().Text(1), title);
  EXPECT_EQ(Main().Status().Text(2), u"");
  EXPECT_EQ(win32ui::WindowText(Main().Handle()), u"Orvella 4.30");
  EXPECT_EQ(Main().CurrentPage(), 0);
  EXPECT_TRUE(IsWindowVisible(Main().DetailsPane()));
  EXPECT_FALSE(IsWindowVisible(Main().FormatLog()));

  const auto details = win32ui::MemoLines(Main().DetailsPane());
  EXPECT_EQ(std::count_if(details.begin(), details.end(), [](const std::u16string& l) { return l.rfind(u"Model: ", 0) == 0; }),
            1);
  EXPECT_NE(GetWindowLongW(Main().DetailsPane(), GWL_STYLE) & ES_READONLY, 0);
  const auto format = FormatLog();
  ASSERT_EQ(format.size(), 3u);
  EXPECT_TRUE(EndsWith(format[0], u"    * * * * *  WARNING!!! * * * * * "));
  EXPECT_TRUE(FormatControlsAtRest());
  EXPECT_FALSE(Enabled(Control::SaveReport));
  EXPECT_EQ(Main().VerifyChoice(), VerifyMethod::Sample);
  EXPECT_EQ(SendMessageW(Handle(Control::QuickWipe), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(Main().ShownProgressState(), ProgressState::Normal);
}

TEST_F(MainFrameTest, TheSmartPageShowsTheReportFromItsButton) {
  Build(OneHardDisk());
  StartWithLastDrive();
  Main().ShowPage(2);
  EXPECT_TRUE(IsWindowVisible(Main().SmartPane()));
  EXPECT_FALSE(IsWindowVisible(Main().DetailsPane()));
  Click(Handle(Control::GetSmart));
  const auto smart = win32ui::MemoLines(Main().SmartPane());
  EXPECT_GT(smart.size(), 5u);
  EXPECT_TRUE(FormatControlsAtRest());
}

TEST_F(MainFrameTest, CtrlTabTurnsThePagesAndEnterOnTheFormatPagePressesTheFormatButton) {
  Build(OneHardDisk());
  StartWithLastDrive();
  dialogs.taskDialogAnswer = IDCANCEL;
  PressKey(Main(), Main().DetailsPane(), VK_RETURN);  // on the details page: nothing
  EXPECT_TRUE(dialogs.taskDialogs.empty());
  Main().ShowPage(1);
  SetFocus(Handle(Control::QuickWipe));
  PressKey(Main(), Handle(Control::QuickWipe), VK_RETURN);
  ASSERT_EQ(dialogs.taskDialogs.size(), 1u);
  // The erase question: Cancel is the button Enter presses.
  EXPECT_EQ(dialogs.taskDialogs[0].defaultButton, IDCANCEL);
  EXPECT_EQ(dialogs.taskDialogs[0].owner, WindowId::Main);
  // The act named on its button, without an accelerator; Cancel beside it.
  EXPECT_EQ(dialogs.taskDialogs[0].buttons, TDCBF_CANCEL_BUTTON);
  EXPECT_EQ(dialogs.taskDialogs[0].customButtons, (std::vector<DialogButton>{{u"Erase drive 0", IDYES}}));
  EXPECT_EQ(dialogs.taskDialogs[0].icon, 84);
  EXPECT_TRUE(os->Medium(0).BytesWritten() == 0);
  EXPECT_TRUE(FormatControlsAtRest());
}

TEST_F(MainFrameTest, AFormatRunMovesTheBarLabelsAndLogAndStopsOnStop) {
  Build(OneHardDisk(50'000'000));
  StartWithLastDrive();
  Main().ShowPage(1);
  const std::size_t logBefore = FormatLog().size();
  struct Snapshot {
    int bar;
    std::u16string percent, position, speed, figures, title;
    std::size_t logLines;
    bool onlyStop;
  };
  std::vector<Snapshot> snapshots;
  int ticks = 0;
  // Two looks at the page in two different passes of the loop, each after
  // the loop has shown a speed: on a busy machine several ticks can come
  // before the first pass ends, or within one pass.
  test::Every(10, [&] {
    const Snapshot now{BarPosition(), Main().LabelText(FormatLabel::CurrentPercent),
                       Main().LabelText(FormatLabel::CurrentPosition), Main().LabelText(FormatLabel::Speed),
                       win32ui::WindowText(Handle(Control::RunFigures)), win32ui::WindowText(Main().Handle()),
                       FormatLog().size(), OnlyStopEnabled()};
    const bool newPass = snapshots.empty() || snapshots.back().position != now.position;
    if (EndsWith(now.speed, u" MB/s") && newPass) snapshots.push_back(now);
    if (snapshots.size() < 2 && ++ticks < 3000) return true;
    Click(Handle(Control::Stop));
    return false;
  });
  Click(Handle(Control::RunBenchmarks));

  ASSERT_EQ(snapshots.size(), 2u);
  EXPECT_TRUE(snapshots[0].onlyStop);
  EXPECT_TRUE(snapshots[1].onlyStop);
  EXPECT_GT(snapshots[0].logLines, logBefore);
  EXPECT_LE(snapshots[0].bar, snapshots[1].bar);
  EXPECT_NE(snapshots[0].position, snapshots[1].position);
  EXPECT_TRUE(EndsWith(snapshots[1].percent, u"% complete"));
  EXPECT_EQ(snapshots[1].position.rfind(u"Current sector: ", 0), 0u);
  EXPECT_TRUE(EndsWith(snapshots[1].speed, u" MB/s"));
  EXPECT_NE(snapshots[1].figures.find(u" of 500.1 GB   elapsed "), std::u16string::npos);
  EXPECT_EQ(snapshots[1].figures.rfind(u"Writing 1 of 2   ", 0), 0u) << TextToUtf8(snapshots[1].figures);
  EXPECT_NE(snapshots[1].title.find(u"% - Orvella 4.30"), std::u16string::npos);
  EXPECT_EQ(win32ui::WindowText(Main().Handle()), u"Orvella 4.30");
  EXPECT_NE(win32ui::WindowText(Handle(Control::RunFigures)).find(u"   took "), std::u16string::npos);
  EXPECT_EQ(win32ui::WindowText(Handle(Control::RunFigures)).rfind(u"Stopped at ", 0), 0u);

  const auto log = FormatLog();
  EXPECT_EQ(CountContaining(log, u"Operation cancelled at offset"), 1u);
  EXPECT_TRUE(EndsWith(log.back(), u"   What was written before the stop has been flushed to the drive."));
  EXPECT_EQ(Main().ShownProgressState(), ProgressState::Paused);
  ASSERT_EQ(dialogs.messageDialogs.size(), 1u);  // the ending, in plain words
  EXPECT_EQ(dialogs.messageDialogs[0].text.rfind(u"The erase was cancelled\r\n\r\nIt stopped at byte ", 0), 0u);
  EXPECT_EQ(dialogs.messageDialogs[0].caption, u"Erase stopped");
  EXPECT_EQ(dialogs.messageDialogs[0].owner, WindowId::Main);
  EXPECT_TRUE(FormatControlsAtRest());
  EXPECT_TRUE(Enabled(Control::SaveReport));
  EXPECT_GT(os->Medium(0).BytesWritten(), 0);
  EXPECT_LT(os->Medium(0).BytesWritten(), os->Machine().drives[0].length);
}

// "Choose another drive…" closes the drive, shows the selection window with
// the list walked again, and opens the drive chosen there in emptied pages.
TEST_F(MainFrameTest, ChoosingAnotherDriveClosesTheFirstAndOpensTheNextInEmptiedPages) {
  VirtualMachine machine;
  machine.drives = {test::HardDisk(0), test::HardDisk(1)};
  Build(std::move(machine));
  StartWithLastDrive();
  ASSERT_EQ(desktop->Drive().DeviceTitle.rfind(u"[1]  ", 0), 0u);
  ASSERT_TRUE(Enabled(Control::ChooseAnother));
  SendMessageW(Handle(Control::QuickWipe), BM_SETCHECK, BST_CHECKED, 0);
  Main().ShowPage(2);
  Click(Handle(Control::GetSmart));

  int rowsShown = -1;
  WhenModal(desktop->Choose(), [this, &rowsShown] {
    rowsShown = static_cast<int>(SendMessageW(DriveList(), LVM_GETITEMCOUNT, 0, 0));
    SelectRow(0);
    PressKey(desktop->Choose(), DriveList(), VK_RETURN);
  });
  Click(Handle(Control::ChooseAnother));

  EXPECT_EQ(rowsShown, 2);
  EXPECT_EQ(desktop->Drive().DeviceTitle.rfind(u"[0]  ", 0), 0u);
  EXPECT_EQ(win32ui::WindowText(Handle(Control::DiskName)), desktop->Drive().DeviceTitle);
  EXPECT_EQ(os->OpenHandleCount(), 1);
  EXPECT_EQ(Main().CurrentPage(), 0);
  EXPECT_TRUE(win32ui::MemoLines(Main().SmartPane()).empty());
  EXPECT_EQ(FormatLog().size(), 3u);
  EXPECT_EQ(SendMessageW(Handle(Control::QuickWipe), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(Enabled(Control::ChooseAnother));
}

TEST_F(MainFrameTest, ClosingTheWindowClosesTheDrive) {
  Build(OneHardDisk());
  StartWithLastDrive();
  EXPECT_EQ(os->OpenHandleCount(), 1);
  SendMessageW(Main().Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(Main().Handle(), nullptr);
  EXPECT_EQ(os->OpenHandleCount(), 0);
}

// A close during a run is a question, not an end: confirmed, it stops the
// run as Stop does, and the window stays with the ending and the record.
TEST_F(MainFrameTest, ClosingDuringARunAsksAndAConfirmedCloseStopsItKeepingTheEndingAndRecord) {
  Build(OneHardDisk(50'000'000));
  StartWithLastDrive();
  Main().ShowPage(1);
  bool stayedAtOnce = false;
  int passes = 0;
  test::Every(10, [&] {
    if (++passes < 3) return true;
    SendMessageW(Main().Handle(), WM_CLOSE, 0, 0);
    stayedAtOnce = Main().Handle() != nullptr;
    return false;
  });
  Click(Handle(Control::RunBenchmarks));
  EXPECT_TRUE(stayedAtOnce);
  ASSERT_EQ(dialogs.taskDialogs.size(), 2u);  // the erase question, then the close question
  EXPECT_EQ(dialogs.taskDialogs[1].owner, WindowId::Main);
  EXPECT_EQ(dialogs.taskDialogs[1].instruction.rfind(u"Stop the erase of [0] ", 0), 0u);
  EXPECT_TRUE(EndsWith(dialogs.taskDialogs[1].instruction, u"? The drive will be left partly erased."));
  EXPECT_EQ(dialogs.taskDialogs[1].defaultButton, IDNO);
  ASSERT_NE(Main().Handle(), nullptr);
  EXPECT_TRUE(IsWindowVisible(Main().Handle()));
  EXPECT_EQ(os->OpenHandleCount(), 1);
  EXPECT_EQ(CountContaining(FormatLog(), u"Operation cancelled at offset"), 1u);
  ASSERT_EQ(dialogs.messageDialogs.size(), 1u);  // the ending
  EXPECT_EQ(dialogs.messageDialogs[0].caption, u"Erase stopped");
  EXPECT_TRUE(Enabled(Control::SaveReport));
  // With the run over, a close closes.
  SendMessageW(Main().Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(Main().Handle(), nullptr);
  EXPECT_EQ(os->OpenHandleCount(), 0);
}

TEST_F(MainFrameTest, ClosingDuringARunAndKeepingOnLetsTheRunGoOn) {
  Build(OneHardDisk(50'000'000));
  StartWithLastDrive();
  Main().ShowPage(1);
  dialogs.answerTask = [](const TaskDialogRequest& request) {
    return request.title == u"Stop the erase?" ? IDNO : IDYES;
  };
  std::int64_t writtenAtClose = -1;
  std::int64_t writtenLater = -1;
  int passes = 0;
  test::Every(10, [&] {
    ++passes;
    if (passes == 3) {
      SendMessageW(Main().Handle(), WM_CLOSE, 0, 0);
      writtenAtClose = os->Medium(0).BytesWritten();
      return true;
    }
    if (passes < 20) return true;
    writtenLater = os->Medium(0).BytesWritten();
    Click(Handle(Control::Stop));
    return false;
  });
  Click(Handle(Control::RunBenchmarks));
  EXPECT_GT(writtenLater, writtenAtClose);
  ASSERT_NE(Main().Handle(), nullptr);
  EXPECT_EQ(dialogs.taskDialogs.size(), 2u);
  EXPECT_EQ(os->OpenHandleCount(), 1);
}

TEST_F(MainFrameTest, DebugSwitchShowsTheDebugWindowModallyBeforeTheSelection) {
  Build(OneHardDisk(), {u"--DEBUG"});
  bool debugShownFirst = false;
  std::vector<std::u16string> debugLines;
  WhenModal(desktop->Debug(), [&] {
    debugShownFirst = !IsWindowVisible(desktop->Choose().Handle());
    debugLines = win32ui::MemoLines(desktop->Debug().Memo());
  });
  StartWithLastDrive();
  EXPECT_TRUE(debugShownFirst);
  ASSERT_GE(debugLines.size(), 2u);
  EXPECT_EQ(debugLines[0], u"Debug window");
  EXPECT_TRUE(EndsWith(debugLines[1], u"   Debug mode activated"));
  EXPECT_EQ(win32ui::WindowText(desktop->Debug().Handle()), u"Debug");
}

}  // namespace
}  // namespace orvella

namespace orvella {
namespace {

class LinkTest : public test::WindowFixture {};

TEST_F(LinkTest, TheNoticeLinkChangesColourWithTheMouseAndOpensTheAddress) {
  Build(OneHardDisk());
  StartWithLastDrive();
  const win32ui::LinkLabel& link = desktop->Main().CopyrightLink();
  EXPECT_EQ(link.Colour(), kNoticeGrey);
  SendMessageW(link.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(link.Colour(), kLinkBlue);
  SendMessageW(link.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  EXPECT_EQ(link.Colour(), kPressedRed);
  SendMessageW(link.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(link.Colour(), kNoticeGrey);
  SendMessageW(link.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 2));
  EXPECT_EQ(link.Colour(), kNoticeGrey);  // other buttons change nothing
  SendMessageW(link.Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(link.Colour(), kNoticeGrey);
  EXPECT_EQ(shell.opened, std::vector<std::u16string>{kMakerWebAddress});
  EXPECT_EQ(SendMessageW(link.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(link.Handle()), HTCLIENT), TRUE);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
}

}  // namespace
}  // namespace orvella
