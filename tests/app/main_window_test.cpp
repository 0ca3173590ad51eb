#include "app/main_window.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/erase_report.h"
#include "app/program_entry.h"
#include "core/text.h"
#include "app/view_fakes.h"
#include "app/window_rig.h"
#include "record/record_digest.h"
#include "reports/text_forms.h"
#include "support/ata_drives.h"
#include "support/desktop_fakes.h"
#include "support/recording_format_page.h"
#include "support/test_program.h"

namespace orvella {
namespace {

using test::ProgramHalted;
using test::Unstamped;

VirtualMachine ThreeHardDisks() {
  VirtualMachine machine;
  machine.drives = {test::HardDisk(0), test::HardDisk(1), test::HardDisk(2)};
  return machine;
}

class MainWindow : public test::WindowRig {
 protected:
  MainWindow() : WindowRig(ThreeHardDisks()) {}

  std::vector<RequestRecord> WriteOpens() {
    std::vector<RequestRecord> opens;
    for (const auto& r : t.os.Requests())
      if (r.kind == RequestRecord::Kind::Open && (r.access & GENERIC_WRITE)) opens.push_back(r);
    return opens;
  }
  int CloseCount(Handle handle) {
    return static_cast<int>(std::count_if(t.os.Requests().begin(), t.os.Requests().end(), [&](const auto& r) {
      return r.kind == RequestRecord::Kind::Close && r.handle == handle;
    }));
  }
};

TEST_F(MainWindow, FirstShowOpensTheChosenDriveExclusivelyAndShowsItsDetails) {
  FirstShow();
  EXPECT_EQ(window.Drive().SelectedDevice, 3);
  const std::u16string title = GetDeviceTitle(t.program.DeviceTables, 3, u'.');
  EXPECT_EQ(window.Drive().DeviceTitle, title);
  EXPECT_EQ(mainView.diskName, title);
  EXPECT_EQ(mainView.statusPanels[kStatusPanelProgram], u"Orvella 4.30");
  EXPECT_EQ(mainView.statusPanels[kStatusPanelDevice], title);

  const auto opens = WriteOpens();
  ASSERT_EQ(opens.size(), 1u);
  EXPECT_EQ(opens[0].path, u"\\\\.\\PhysicalDrive2");
  EXPECT_EQ(opens[0].access, GENERIC_READ | GENERIC_WRITE);
  EXPECT_EQ(opens[0].share, 0u);
  EXPECT_EQ(window.Drive().DeviceHandle, opens[0].handle);
  EXPECT_TRUE(std::any_of(t.panes.details.begin(), t.panes.details.end(),
                          [](const std::u16string& line) { return line.starts_with(u"Model: "); }));
  EXPECT_FALSE(d.application.Terminated());
}

TEST_F(MainWindow, WithoutDebugTheWarningPrecedesTheSelectionAndNoDebugWindowShows) {
  FirstShow([&] {
    EXPECT_EQ(t.panes.formatLog.size(), 3u);
    choose.btContinueClick();
  });
  EXPECT_TRUE(debugView.events.empty());
  EXPECT_TRUE(t.panes.debugLog.empty());
}

TEST_F(MainWindow, InDebugModeTheDebugWindowIsShownModallyBeforeTheSelection) {
  d.application.arguments.push_back(u"--debug");
  FirstShow([&] {
    EXPECT_EQ(debugView.events, (std::vector<std::string>{"show", "close", "modal"}));
    choose.btContinueClick();
  });
  EXPECT_EQ(chooseView.modalShows, 1);
}

TEST_F(MainWindow, LeavingTheSelectionWithoutAChoiceEndsTheProgramWithoutOpeningADrive) {
  FirstShow([&] { choose.DriveListKeyDown(kVirtualKeyEscape); });
  EXPECT_TRUE(d.application.Terminated());
  EXPECT_TRUE(WriteOpens().empty());
  EXPECT_FALSE(window.Drive().IsOpen());
  EXPECT_TRUE(t.panes.details.empty());
  EXPECT_TRUE(mainView.diskName.empty());
}

TEST_F(MainWindow, ADriveHeldByAnotherProgramEndsTheProgramWithTheSystemText) {
  t.os.Machine().drives[2].exclusiveOpenError = ERROR_SHARING_VIOLATION;
  EXPECT_THROW(FirstShow(), ProgramHalted);
  ASSERT_EQ(t.halt.messages.size(), 1u);
  EXPECT_EQ(t.halt.messages[0].text,
            u"Error opening device: The process cannot access the file because it is being used by another process");
  EXPECT_EQ(t.halt.messages[0].caption, u"Error");
  EXPECT_TRUE(t.panes.details.empty());
}

TEST_F(MainWindow, AFailingWow64QueryIsShownAndLeavesTheWindowWithoutADrive) {
  t.os.wow64_ = Wow64Answer::QueryFailed;
  FirstShow();
  ASSERT_EQ(d.dialogs.boxes.size(), 1u);
  EXPECT_EQ(d.dialogs.boxes[0].text, u"Bad process handle");
  EXPECT_EQ(d.dialogs.boxes[0].caption, u"Orvella 4.30");
  EXPECT_EQ(d.dialogs.boxes[0].icon, MessageIcon::Error);
  EXPECT_EQ(chooseView.modalShows, 0);
  EXPECT_FALSE(window.Drive().IsOpen());
  EXPECT_FALSE(d.application.Terminated());
  EXPECT_FALSE(formatPage.Enabled(FormatControl::RunBenchmarks));
  EXPECT_FALSE(formatPage.Enabled(FormatControl::GetSmart));
  EXPECT_FALSE(formatPage.Enabled(FormatControl::QuickWipe));
}

TEST_F(MainWindow, ClosingClosesTheDriveHandleExactlyOnce) {
  FirstShow();
  const Handle handle = window.Drive().DeviceHandle;
  EXPECT_TRUE(window.FormClose());
  EXPECT_TRUE(window.FormClose());
  EXPECT_EQ(CloseCount(handle), 1);
  EXPECT_EQ(t.os.OpenHandleCount(), 0);
}

TEST_F(MainWindow, TheSmartButtonDisablesTheFormatControlsWhileTheDriveIsAsked) {
  FirstShow();
  window.btGetSmartClick();
  EXPECT_EQ(formatPage.events,
            (std::vector<std::string>{"disable btRunBenchmarks", "disable btGetSmart", "disable cbQuickWipe",
                                      "enable btRunBenchmarks", "enable btGetSmart", "enable cbQuickWipe"}));
  EXPECT_TRUE(std::any_of(t.panes.smart.begin(), t.panes.smart.end(),
                          [](const std::u16string& line) { return line.starts_with(u"SMART data for "); }));
}

// A close during a run asks first; confirmed, it stops the run as Stop does,
// and the window keeps its drive, its ending and its record.
TEST_F(MainWindow, ClosingDuringAFormatRunAsksAndAConfirmedCloseStopsTheRun) {
  FirstShow();
  bool closedAtOnce = true;
  bool closedAgain = true;
  formatPage.onMessages = [&] {
    if (formatPage.messageRuns != 1) return;
    closedAtOnce = window.FormClose();
    // Stopping already: a second close asks nothing more.
    closedAgain = window.FormClose();
  };
  window.btRunBenchmarksClick();
  EXPECT_FALSE(closedAtOnce);
  EXPECT_FALSE(closedAgain);
  ASSERT_EQ(d.dialogs.taskDialogs.size(), 2u);
  const TaskDialogRequest& question = d.dialogs.taskDialogs[1];
  EXPECT_EQ(question.owner, WindowId::Main);
  EXPECT_TRUE(question.instruction.starts_with(u"Stop the erase of [" +
                                               UIntToStr(window.Drive().Entry().DeviceNumber) + u"] "));
  EXPECT_TRUE(question.instruction.ends_with(u"? The drive will be left partly erased."));
  EXPECT_EQ(question.customButtons, (std::vector<DialogButton>{{u"Stop the erase", IDYES}, {u"Keep erasing", IDNO}}));
  EXPECT_EQ(question.defaultButton, IDNO);
  EXPECT_NE(formatPage.events.back(), "close window");
  EXPECT_EQ(t.os.OpenHandleCount(), 1);
  EXPECT_EQ(window.Drive().StopRequested, false);
  ASSERT_EQ(d.dialogs.messageDialogs.size(), 1u);
  EXPECT_EQ(d.dialogs.messageDialogs[0].caption, u"Erase stopped");
  EXPECT_TRUE(mainView.saveReportEnabled);
  EXPECT_TRUE(window.FormClose());  // the run over, the close closes
  EXPECT_EQ(t.os.OpenHandleCount(), 0);
}

TEST_F(MainWindow, ClosingDuringAFormatRunAndKeepingOnChangesNothing) {
  FirstShow();
  d.dialogs.answerTask = [](const TaskDialogRequest& request) { return request.customButtons.size() == 2 ? IDNO : IDYES; };
  std::int64_t writtenAtClose = -1;
  std::int64_t writtenLater = -1;
  formatPage.onMessages = [&] {
    if (formatPage.messageRuns == 1) {
      EXPECT_FALSE(window.FormClose());
      writtenAtClose = t.os.Medium(window.Drive().Entry().DeviceNumber).BytesWritten();
      EXPECT_FALSE(window.Drive().StopRequested);
    } else if (formatPage.messageRuns == 20) {
      writtenLater = t.os.Medium(window.Drive().Entry().DeviceNumber).BytesWritten();
      window.btStopClick();
    }
  };
  window.btRunBenchmarksClick();
  EXPECT_GT(writtenLater, writtenAtClose);
  EXPECT_EQ(d.dialogs.taskDialogs.size(), 2u);
  EXPECT_EQ(t.os.OpenHandleCount(), 1);
}

// "Choose another drive…": the user first takes the last drive, then the
// drive the test's `user` picks in the selection window shown again.
class ChooseAnother : public MainWindow {
 protected:
  ChooseAnother() {
    mainView.panes = &t.panes;
    for (std::uint32_t n = 0; n < 3; ++n) t.os.Machine().drives[n].ata.identify->model = DiskModel(n);
  }
  static std::string DiskModel(std::uint32_t number) { return "DISK NUMBER " + std::to_string(number); }
  void ChooseAgain(std::function<void()> user) {
    chooseView.whileShown = std::move(user);
    window.btChooseAnotherClick();
  }
  void ChooseFirstRow() {
    chooseView.SelectRow(0);
    choose.btContinueClick();
  }
  std::vector<std::u16string> ModelLines() {
    std::vector<std::u16string> models;
    for (const auto& line : t.panes.details)
      if (line.starts_with(u"Model: ")) models.push_back(line);
    return models;
  }
};

TEST_F(ChooseAnother, OpensTheNewDriveInEmptiedPanesAndClosesTheOldOneOnce) {
  FirstShow();
  const Handle first = window.Drive().DeviceHandle;
  window.btGetSmartClick();
  ASSERT_FALSE(t.panes.smart.empty());
  EXPECT_TRUE(mainView.chooseAnotherEnabled);

  ChooseAgain([this, first] {
    EXPECT_EQ(CloseCount(first), 1);  // closed before the walk, which then finds it like the others
    EXPECT_EQ(chooseView.rows.size(), 3u);
    EXPECT_EQ(chooseView.selected, 2);  // the last row preselected again
    EXPECT_TRUE(mainView.diskName.empty());
    ChooseFirstRow();
  });
  EXPECT_EQ(chooseView.modalShows, 2);
  EXPECT_EQ(window.Drive().SelectedDevice, 1);
  const auto opens = WriteOpens();
  ASSERT_EQ(opens.size(), 2u);
  EXPECT_EQ(opens[1].path, u"\\\\.\\PhysicalDrive0");
  EXPECT_EQ(opens[1].share, 0u);
  EXPECT_EQ(window.Drive().DeviceHandle, opens[1].handle);

  const std::u16string title = GetDeviceTitle(t.program.DeviceTables, 1, u'.');
  EXPECT_EQ(window.Drive().DeviceTitle, title);
  EXPECT_EQ(mainView.diskName, title);
  EXPECT_EQ(mainView.statusPanels[kStatusPanelDevice], title);
  EXPECT_EQ(mainView.pageClears, 1);
  ASSERT_EQ(ModelLines().size(), 1u);
  EXPECT_NE(ModelLines()[0].find(u"DISK NUMBER 0"), std::u16string::npos);
  EXPECT_TRUE(t.panes.smart.empty());
  EXPECT_EQ(Unstamped(t.panes.formatLog),
            (std::vector<std::u16string>{u" * * * * *  WARNING!!! * * * * * ", u"DURING THE LOW LEVEL FORMAT PROCESS ",
                                         u"ALL DATA WILL BE FULLY and IRREVERSIBLY ERASED! "}));
  EXPECT_TRUE(mainView.chooseAnotherEnabled);
  EXPECT_FALSE(d.application.Terminated());

  EXPECT_TRUE(window.FormClose());
  EXPECT_EQ(CloseCount(first), 1);
  EXPECT_EQ(CloseCount(opens[1].handle), 1);
  EXPECT_EQ(t.os.OpenHandleCount(), 0);
}

TEST_F(ChooseAnother, AfterAnEraseTheReportOfTheOldDriveIsNoLongerOffered) {
  FirstShow();
  formatPage.quickWipeChecked = true;
  window.btRunBenchmarksClick();
  ASSERT_TRUE(mainView.saveReportEnabled);
  const Handle erased = window.Drive().DeviceHandle;
  ChooseAgain([this] { ChooseFirstRow(); });
  EXPECT_EQ(CloseCount(erased), 1);
  EXPECT_FALSE(mainView.saveReportEnabled);
  window.btSaveReportClick();
  EXPECT_TRUE(mainView.suggestedReportNames.empty());
  EXPECT_EQ(t.panes.formatLog.size(), 3u);
  EXPECT_EQ(window.Drive().Entry().DevicePath, u"\\\\.\\PhysicalDrive0");
}

TEST_F(ChooseAnother, TheWalkFindsDrivesThatCameAndMissesThoseThatWent) {
  FirstShow();
  auto& drives = t.os.Machine().drives;
  drives.erase(drives.begin());  // drive 0 unplugged
  drives.push_back(test::HardDisk(5));
  ChooseAgain([this] {
    ASSERT_EQ(chooseView.rows.size(), 3u);
    EXPECT_EQ(chooseView.rows[0][6], u"\\\\.\\PhysicalDrive1");
    EXPECT_EQ(chooseView.rows[2][6], u"\\\\.\\PhysicalDrive5");
    EXPECT_EQ(chooseView.statusText, u"Disks found: 3");
    choose.btContinueClick();
  });
  EXPECT_EQ(t.program.DeviceCount, 3);
  EXPECT_EQ(window.Drive().Entry().DevicePath, u"\\\\.\\PhysicalDrive5");
  EXPECT_TRUE(t.program.DeviceTables[4].DevicePath.empty());  // nothing left of the old catalogue
}

TEST_F(ChooseAnother, IsDisabledAndRefusedWhileAFormatRunLasts) {
  FirstShow();
  const Handle drive = window.Drive().DeviceHandle;
  formatPage.quickWipeChecked = true;
  bool enabledDuringRun = true;
  formatPage.onMessages = [&] {
    if (formatPage.messageRuns != 1) return;
    enabledDuringRun = mainView.chooseAnotherEnabled;
    window.btChooseAnotherClick();  // a click that slips through
  };
  window.btRunBenchmarksClick();
  EXPECT_FALSE(enabledDuringRun);
  EXPECT_EQ(chooseView.modalShows, 1);
  EXPECT_EQ(CloseCount(drive), 0);
  EXPECT_EQ(window.Drive().DeviceHandle, drive);
  EXPECT_TRUE(mainView.chooseAnotherEnabled);
}

TEST_F(ChooseAnother, ClosingTheSelectionWindowThenEndsTheProgramWithoutOpeningADrive) {
  FirstShow();
  const Handle first = window.Drive().DeviceHandle;
  ChooseAgain([this] { chooseView.Close(); });
  EXPECT_TRUE(d.application.Terminated());
  EXPECT_FALSE(choose.DeviceChosen());
  EXPECT_EQ(WriteOpens().size(), 1u);
  EXPECT_EQ(CloseCount(first), 1);
  EXPECT_EQ(t.os.OpenHandleCount(), 0);
  EXPECT_FALSE(mainView.chooseAnotherEnabled);
  EXPECT_TRUE(window.FormClose());
  EXPECT_EQ(CloseCount(first), 1);
}

TEST_F(ChooseAnother, InDebugModeTheSecondWalkIsLoggedWithoutShowingTheDebugWindowAgain) {
  d.application.arguments.push_back(u"--debug");
  FirstShow();
  const auto walks = [this] {
    const auto lines = Unstamped(t.panes.debugLog);
    return std::count(lines.begin(), lines.end(), u"Iterating through devices...");
  };
  EXPECT_EQ(walks(), 1);
  ChooseAgain([this] { ChooseFirstRow(); });
  EXPECT_EQ(walks(), 2);
  EXPECT_EQ(debugView.events, (std::vector<std::string>{"show", "close", "modal"}));
}

TEST_F(ChooseAnother, DoesNothingWithoutAnOpenDrive) {
  t.os.wow64_ = Wow64Answer::QueryFailed;
  FirstShow();
  EXPECT_FALSE(mainView.chooseAnotherEnabled);
  window.btChooseAnotherClick();
  EXPECT_EQ(chooseView.modalShows, 0);
  EXPECT_EQ(mainView.pageClears, 0);
}

class EraseReport : public MainWindow {
 protected:
  EraseReport() {
    mainView.reportPath = folder.u16string() + u"/report.json";
    std::filesystem::create_directories(folder);
  }
  ~EraseReport() override { std::filesystem::remove_all(folder); }

  Json SavedRecord() {
    std::ifstream in(folder / "report.json");
    std::ostringstream text;
    text << in.rdbuf();
    const RecordCheck check = ReadSealedRecord(text.str());
    EXPECT_TRUE(check.record) << check.problem;
    return check.record.value_or(Json());
  }

  std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("orvella-app-report-" + std::to_string(getpid()));
};

TEST_F(EraseReport, ARunEndsWithTheReportOfferedAndSavedAsRecordAndCertificate) {
  FirstShow();
  EXPECT_FALSE(mainView.saveReportEnabled);
  const std::size_t linesBefore = t.panes.formatLog.size();
  formatPage.quickWipeChecked = true;
  window.btRunBenchmarksClick();
  ASSERT_TRUE(mainView.saveReportEnabled);

  window.btSaveReportClick();
  const Json record = SavedRecord();
  EXPECT_EQ(record["tool"]["frontEnd"], "orvella");
  EXPECT_EQ(record["mode"], "quick");
  EXPECT_EQ(record["result"], "quick-wipe-complete");
  EXPECT_EQ(record["media"]["serial"], "HD5S0123456789");
  EXPECT_EQ(record["log"].size(), t.panes.formatLog.size() - linesBefore);
  EXPECT_EQ(record["log"].back(), TextToUtf8(t.panes.formatLog.back()));
  EXPECT_FALSE(record.contains("exitCode"));
  ASSERT_EQ(mainView.suggestedReportNames.size(), 1u);
  EXPECT_TRUE(mainView.suggestedReportNames[0].starts_with(u"erase-HD5S0123456789-")) << TextToUtf8(mainView.suggestedReportNames[0]);

  ASSERT_EQ(mainView.certificates.size(), 1u);
  EXPECT_EQ(mainView.certificates[0].first, folder.u16string() + u"/report.pdf");
  EXPECT_EQ(mainView.certificates[0].second, record);
  ASSERT_EQ(d.dialogs.boxes.size(), 1u);
  EXPECT_EQ(d.dialogs.boxes[0].icon, MessageIcon::Information);
}

// The question is a warning whose default answer is Cancel: two presses of
// Enter must not erase a drive.
TEST_F(MainWindow, TheEraseIsAskedAsAWarningWithCancelAsTheDefault) {
  FirstShow();
  d.dialogs.taskDialogAnswer = IDCANCEL;
  window.btRunBenchmarksClick();
  ASSERT_EQ(d.dialogs.taskDialogs.size(), 1u);
  const TaskDialogRequest& dialog = d.dialogs.taskDialogs[0];
  EXPECT_EQ(dialog.owner, WindowId::Main);
  EXPECT_EQ(dialog.title, u"Warning");
  EXPECT_EQ(dialog.instruction, u"All data on the selected device will be lost");
  EXPECT_TRUE(dialog.content.starts_with(
      u"Are you absolutely sure you want to irreversibly destroy all data on this device?\r\n\r\n" +
      window.Drive().DeviceTitle + u"\r\n\r\n"));
  EXPECT_EQ(dialog.icon, 84);
  // Yes is a button named for the act, without an accelerator key.
  EXPECT_EQ(dialog.buttons, TDCBF_CANCEL_BUTTON);
  EXPECT_EQ(dialog.customButtons,
            (std::vector<DialogButton>{{u"Erase drive " + UIntToStr(window.Drive().Entry().DeviceNumber), IDYES}}));
  EXPECT_EQ(dialog.customButtons[0].caption.find(u'&'), std::u16string::npos);
  EXPECT_EQ(dialog.defaultButton, IDCANCEL);
  EXPECT_EQ(window.Drive().LogLines(), std::vector<std::u16string>{});
}

TEST_F(EraseReport, NothingIsOfferedForAnUnconfirmedRunAndACancelledDialogSavesNothing) {
  FirstShow();
  d.dialogs.taskDialogAnswer = IDCANCEL;
  window.btRunBenchmarksClick();
  EXPECT_FALSE(mainView.saveReportEnabled);
  window.btSaveReportClick();
  EXPECT_TRUE(mainView.suggestedReportNames.empty());

  d.dialogs.taskDialogAnswer = IDYES;
  formatPage.quickWipeChecked = true;
  window.btRunBenchmarksClick();
  mainView.reportPath.clear();  // the user cancels the save dialog
  window.btSaveReportClick();
  EXPECT_FALSE(std::filesystem::exists(folder / "report.json"));
  EXPECT_TRUE(mainView.certificates.empty());
  EXPECT_TRUE(d.dialogs.boxes.empty());
}

TEST_F(EraseReport, AFailureToSaveIsShownAsAnError) {
  FirstShow();
  formatPage.quickWipeChecked = true;
  window.btRunBenchmarksClick();
  mainView.certificateProblem = u"cannot write report.pdf";
  window.btSaveReportClick();
  ASSERT_EQ(d.dialogs.boxes.size(), 1u);
  EXPECT_EQ(d.dialogs.boxes[0].text, u"cannot write report.pdf");
  EXPECT_EQ(d.dialogs.boxes[0].icon, MessageIcon::Error);

  mainView.reportPath = folder.u16string() + u"/no/such/folder/report.json";
  window.btSaveReportClick();
  ASSERT_EQ(d.dialogs.boxes.size(), 2u);
  EXPECT_NE(d.dialogs.boxes[1].text.find(u"could not be written"), std::u16string::npos);
}

// A certificate that cannot be made leaves the record saved: the message
// says what kept the certificate from being made and claims no PDF.
TEST_F(EraseReport, ARecordWhoseCertificateFailsIsKeptAndTheSaveSaysWhy) {
  FirstShow();
  formatPage.quickWipeChecked = true;
  window.btRunBenchmarksClick();
  mainView.certificateProblem = u"cannot make report.pdf: the PDF library failed (error 0x1017, detail 0)";
  window.btSaveReportClick();
  EXPECT_TRUE(std::filesystem::exists(folder / "report.json"));
  ASSERT_EQ(d.dialogs.boxes.size(), 1u);
  EXPECT_EQ(d.dialogs.boxes[0].icon, MessageIcon::Error);
  EXPECT_EQ(d.dialogs.boxes[0].text, mainView.certificateProblem);
  EXPECT_EQ(d.dialogs.boxes[0].text.find(u"its certificate as"), std::u16string::npos);
}

TEST(EraseReportNames, SuggestedAndCertificatePaths) {
  EXPECT_EQ(SuggestedReportName(Json::parse(R"({"media": {"serial": "WD/X 1"}, "start": "2024-05-01T14:03:27+02:00"})")),
            u"erase-WD_X_1-2024-05-01.json");
  EXPECT_EQ(SuggestedReportName(Json::parse(R"({"media": {"serial": null}, "start": "2024-05-01T14:03:27+02:00"})")),
            u"erase-2024-05-01.json");
  EXPECT_EQ(CertificatePathOf(u"/home/a/erase.json"), u"/home/a/erase.pdf");
  EXPECT_EQ(CertificatePathOf(u"/home/a/erase"), u"/home/a/erase.pdf");
}

TEST_F(MainWindow, CopyrightLinkColoursFollowTheMouse) {
  window.lbCopyrightMouseEnter();
  EXPECT_EQ(mainView.copyrightColour, kLinkBlue);
  window.lbCopyrightMouseDown(MouseButton::Right);
  EXPECT_EQ(mainView.copyrightColour, kLinkBlue);
  window.lbCopyrightMouseDown(MouseButton::Left);
  EXPECT_EQ(mainView.copyrightColour, kPressedRed);
  window.lbCopyrightMouseUp(MouseButton::Right);
  EXPECT_EQ(mainView.copyrightColour, kPressedRed);
  window.lbCopyrightMouseUp(MouseButton::Left);
  EXPECT_EQ(mainView.copyrightColour, kNoticeGrey);
  window.lbCopyrightMouseEnter();
  window.lbCopyrightMouseLeave();
  EXPECT_EQ(mainView.copyrightColour, kNoticeGrey);
  window.lbCopyrightClick();
  EXPECT_EQ(d.shell.opened, std::vector<std::u16string>{kMakerWebAddress});
}

TEST_F(MainWindow, ProgramEntryCreatesShowsAndRunsTheLoopOnlyWhenNotEnded) {
  chooseView.whileShown = [&] { choose.btContinueClick(); };
  EXPECT_EQ(RunProgram(d.desktop, window, choose), 0);
  EXPECT_TRUE(mainView.firstPageShown);
  EXPECT_EQ(mainView.font, *d.fonts.iconTitle);
  EXPECT_EQ(chooseView.font, *d.fonts.iconTitle);
  EXPECT_EQ(d.application.messageLoops, 1);

  test::FakeDesktop ended;
  test::FakeChooseView otherChooseView;
  TFmChoose otherChoose{t.program, ended.desktop, otherChooseView};
  otherChooseView.window = &otherChoose;
  otherChooseView.whileShown = [&] { otherChooseView.Close(); };
  TFmMain otherWindow{t.program, ended.desktop, mainView, formatPage, otherChoose, debugView};
  RunProgram(ended.desktop, otherWindow, otherChoose);
  EXPECT_EQ(ended.application.messageLoops, 0);
}

}  // namespace
}  // namespace orvella
