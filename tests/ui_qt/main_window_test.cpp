#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTabWidget>

#include "core/text.h"
#include "support/ata_drives.h"
#include <QRegularExpression>

#include "ui/qt/panel_status_bar.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/state_progress_bar.h"
#include "ui_qt/desktop_fixture.h"

namespace orvella {
namespace {

VirtualMachine OneHardDisk(double bytesPerSecond = 0) {
  VirtualMachine machine;
  machine.drives = {test::HardDisk(0)};
  machine.drives[0].speedLimitBytesPerSecond = bytesPerSecond;
  return machine;
}

QStringList Lines(QPlainTextEdit* memo) { return memo->toPlainText().split(QLatin1Char('\n')); }

// Records every change of the enabled state of the watched widgets.
class EnabledRecorder : public QObject {
 public:
  void Watch(QWidget* widget) { widget->installEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::EnabledChange) {
      auto* widget = static_cast<QWidget*>(watched);
      changes << QStringLiteral("%1 %2").arg(widget->isEnabled() ? "enable" : "disable", widget->objectName());
    }
    return false;
  }
  QStringList changes;
};

class MainWindowTest : public test::DesktopFixture {
 protected:
  QPushButton* Button(const char* name) { return MainChild<QPushButton>(name); }
  QLabel* Label(const char* name) { return MainChild<QLabel>(name); }
  QPlainTextEdit* Memo(const char* name) { return MainChild<QPlainTextEdit>(name); }
  qt::StateProgressBar* Bar() { return MainChild<qt::StateProgressBar>("pbCurrentTask"); }
  void ShowPage(int index) { MainChild<QTabWidget>("pages")->setCurrentIndex(index); }
  bool OnlyStopEnabled() {
    return !Button("btRunBenchmarks")->isEnabled() && !Button("btGetSmart")->isEnabled() &&
           !MainChild<QCheckBox>("cbQuickWipe")->isEnabled() && Button("btStop")->isEnabled();
  }
  bool FormatControlsAtRest() {
    return Button("btRunBenchmarks")->isEnabled() && Button("btGetSmart")->isEnabled() &&
           MainChild<QCheckBox>("cbQuickWipe")->isEnabled() && !Button("btStop")->isEnabled();
  }
};

TEST_F(MainWindowTest, AfterStartUpTheHeaderStatusBarAndDetailsShowTheChosenDrive) {
  Build(OneHardDisk());
  StartWithLastDrive();
  const QString title = qt::ToQt(desktop->Drive().DeviceTitle);
  EXPECT_TRUE(title.startsWith(QStringLiteral("[0]  ")));
  EXPECT_EQ(Label("lbDiskName")->text(), title);
  EXPECT_TRUE(Label("lbDiskName")->font().bold());
  auto* status = MainChild<qt::PanelStatusBar>("StatusBar");
  EXPECT_EQ(status->PanelText(0), QStringLiteral("Orvella 4.30"));
  EXPECT_EQ(status->PanelText(1), title);
  EXPECT_EQ(status->PanelText(2), QString());
  EXPECT_EQ(desktop->Main().windowTitle(), QStringLiteral("Orvella 4.30"));
  EXPECT_EQ(MainChild<QTabWidget>("pages")->currentIndex(), 0);

  const QStringList details = Lines(Memo("Log_Details"));
  EXPECT_EQ(details.filter(QRegularExpression(QStringLiteral("^Model: \\S"))).size(), 1);
  EXPECT_TRUE(Memo("Log_Details")->font().fixedPitch());
  EXPECT_TRUE(Memo("Log_Details")->isReadOnly());

  const QStringList format = Lines(Memo("Log_BenchMark"));
  ASSERT_EQ(format.size(), 3);
  EXPECT_TRUE(format[0].endsWith(QStringLiteral("    * * * * *  WARNING!!! * * * * * ")));
  EXPECT_TRUE(FormatControlsAtRest());
  EXPECT_EQ(Bar()->property("state").toString(), QStringLiteral("normal"));
}

TEST_F(MainWindowTest, DebugSwitchInAnyCaseShowsTheDebugWindowModallyBeforeTheSelection) {
  Build(OneHardDisk(), {u"--DEBUG"});
  QStringList debugLines;
  WhenModal(&desktop->Debug(), [&] {
    debugLines = Lines(desktop->Debug().Memo());
    desktop->Debug().close();
  });
  StartWithLastDrive();
  ASSERT_GE(debugLines.size(), 3);
  EXPECT_EQ(debugLines[0], QStringLiteral("Debug window"));
  EXPECT_EQ(debugLines[1], QStringLiteral("08.12.2026 14:30:05   Debug mode activated"));
  EXPECT_TRUE(debugLines.contains(QStringLiteral("08.12.2026 14:30:05   Program Version: Orvella 4.30")));
  EXPECT_TRUE(desktop->State().DebugMode);
}

TEST_F(MainWindowTest, DebugAsTheSecondArgumentLeavesTheDebugWindowUntouched) {
  Build(OneHardDisk(), {u"--verbose", u"--debug"});
  StartWithLastDrive();
  EXPECT_FALSE(desktop->State().DebugMode);
  EXPECT_FALSE(desktop->Debug().isVisible());
  EXPECT_EQ(desktop->Debug().Memo()->toPlainText(), QStringLiteral("Debug window"));
}

TEST_F(MainWindowTest, TheSmartButtonDisablesTheThreeControlsWhileTheDriveIsAsked) {
  Build(OneHardDisk());
  StartWithLastDrive();
  EnabledRecorder recorder;
  for (const char* name : {"btRunBenchmarks", "btGetSmart", "cbQuickWipe"}) recorder.Watch(MainChild(name));
  ShowPage(2);
  QTest::mouseClick(Button("btGetSmart"), Qt::LeftButton);
  EXPECT_EQ(recorder.changes, (QStringList{"disable btRunBenchmarks", "disable btGetSmart", "disable cbQuickWipe",
                                           "enable btRunBenchmarks", "enable btGetSmart", "enable cbQuickWipe"}));
  EXPECT_TRUE(Lines(Memo("Log_Smart")).filter(QStringLiteral("SMART data for ")).size() == 1);
}

TEST_F(MainWindowTest, AFormatRunMovesTheBarLabelsAndLogAndStopsOnStop) {
  Build(OneHardDisk(50'000'000));
  StartWithLastDrive();
  ShowPage(1);
  QStringList logBefore = Lines(Memo("Log_BenchMark"));
  struct Snapshot {
    int bar;
    QString percent, position, speed, figures, title;
    int logLines;
    bool onlyStop;
  };
  std::vector<Snapshot> snapshots;
  int passes = 0;
  QTimer watcher;
  watcher.setInterval(0);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    ++passes;
    if (passes == 3 || passes == 30) {
      snapshots.push_back({Bar()->value(), Label("lbCurrentPercent")->text(), Label("lbCurrentPosition")->text(),
                           Label("lbSpeed")->text(), Label("lbRunFigures")->text(), desktop->Main().windowTitle(),
                           static_cast<int>(Lines(Memo("Log_BenchMark")).size()),
                           OnlyStopEnabled()});
    }
    if (passes == 31) {
      watcher.stop();
      QTest::mouseClick(Button("btStop"), Qt::LeftButton);
    }
  });
  watcher.start();
  QTest::mouseClick(Button("btRunBenchmarks"), Qt::LeftButton);

  ASSERT_EQ(snapshots.size(), 2u);
  EXPECT_TRUE(snapshots[0].onlyStop);
  EXPECT_TRUE(snapshots[1].onlyStop);
  EXPECT_GT(snapshots[0].logLines, logBefore.size());
  EXPECT_LE(snapshots[0].bar, snapshots[1].bar);
  EXPECT_NE(snapshots[0].position, snapshots[1].position);
  EXPECT_TRUE(snapshots[1].percent.endsWith(QStringLiteral("% complete")));
  EXPECT_TRUE(snapshots[1].position.startsWith(QStringLiteral("Current sector: ")));
  EXPECT_TRUE(snapshots[1].speed.endsWith(QStringLiteral(" MB/s")));
  // Bytes of the total and the time, and the percentage in the title.
  EXPECT_NE(snapshots[0].figures, snapshots[1].figures);
  EXPECT_TRUE(snapshots[1].figures.contains(QStringLiteral(" of 500.1 GB   elapsed "))) << snapshots[1].figures.toStdString();
  // The step of the two (writes, then the sample read back) and a tenth of
  // a percent, which moves long before a whole percent does.
  EXPECT_TRUE(snapshots[1].figures.contains(QRegularExpression(QStringLiteral("^Writing 1 of 2   \\d+\\.\\d%   "))))
      << snapshots[1].figures.toStdString();
  EXPECT_TRUE(Label("lbRunFigures")->text().contains(
      QRegularExpression(QStringLiteral("^Stopped at \\d+\\.\\d% \\(Writing 1 of 2\\)   .* of 500.1 GB   took "))))
      << Label("lbRunFigures")->text().toStdString();
  EXPECT_TRUE(snapshots[1].title.contains(QStringLiteral("% - "))) << snapshots[1].title.toStdString();
  EXPECT_FALSE(desktop->Main().windowTitle().contains(QStringLiteral("% - ")));

  const QStringList log = Lines(Memo("Log_BenchMark"));
  EXPECT_EQ(log.filter(QStringLiteral("Operation cancelled at offset")).size(), 1);
  EXPECT_TRUE(log.last().endsWith(QStringLiteral("   What was written before the stop has been flushed to the drive.")));
  EXPECT_EQ(log.filter(QStringLiteral("Remember to create new partitions.")).size(), 0);
  EXPECT_EQ(Bar()->property("state").toString(), QStringLiteral("paused"));
  ASSERT_EQ(dialogs.messageDialogs.size(), 1u);  // the ending, in plain words
  EXPECT_TRUE(dialogs.messageDialogs[0].text.starts_with(u"The erase was cancelled\r\n\r\nIt stopped at byte "));
  EXPECT_EQ(dialogs.messageDialogs[0].icon, MessageIcon::Warning);
  EXPECT_EQ(dialogs.messageDialogs[0].caption, u"Erase stopped");
  EXPECT_TRUE(FormatControlsAtRest());
  ASSERT_EQ(dialogs.taskDialogs.size(), 1u);
  EXPECT_EQ(dialogs.taskDialogs[0].owner, WindowId::Main);
  // The act named on its button, without an accelerator; Cancel beside it.
  EXPECT_EQ(dialogs.taskDialogs[0].buttons, TDCBF_CANCEL_BUTTON);
  EXPECT_EQ(dialogs.taskDialogs[0].customButtons, (std::vector<DialogButton>{{u"Erase drive 0", IDYES}}));
  EXPECT_EQ(dialogs.taskDialogs[0].defaultButton, IDCANCEL);
  EXPECT_EQ(dialogs.taskDialogs[0].icon, 84);
  EXPECT_GT(os->Medium(0).BytesWritten(), 0);
  EXPECT_LT(os->Medium(0).BytesWritten(), os->Machine().drives[0].length);
}

TEST_F(MainWindowTest, CancelInTheConfirmationChangesNothing) {
  Build(OneHardDisk());
  StartWithLastDrive();
  ShowPage(1);
  dialogs.taskDialogAnswer = IDCANCEL;
  const QString logBefore = Memo("Log_BenchMark")->toPlainText();
  os->ClearRequests();
  QTest::mouseClick(Button("btRunBenchmarks"), Qt::LeftButton);
  EXPECT_EQ(dialogs.taskDialogs.size(), 1u);
  EXPECT_EQ(Memo("Log_BenchMark")->toPlainText(), logBefore);
  EXPECT_TRUE(os->Requests().empty());
  EXPECT_TRUE(FormatControlsAtRest());
  EXPECT_EQ(Bar()->value(), 0);
}

TEST_F(MainWindowTest, EnterOnTheFormatPagePressesTheFormatButton) {
  Build(OneHardDisk());
  StartWithLastDrive();
  dialogs.taskDialogAnswer = IDCANCEL;
  QTest::keyClick(&desktop->Main(), Qt::Key_Return);  // on the details page: nothing
  EXPECT_TRUE(dialogs.taskDialogs.empty());
  ShowPage(1);
  QTest::keyClick(&desktop->Main(), Qt::Key_Return);
  EXPECT_EQ(dialogs.taskDialogs.size(), 1u);
}

TEST_F(MainWindowTest, ClosingTheWindowClosesTheDrive) {
  Build(OneHardDisk());
  StartWithLastDrive();
  EXPECT_EQ(os->OpenHandleCount(), 1);
  EXPECT_TRUE(desktop->Main().close());
  EXPECT_EQ(os->OpenHandleCount(), 0);
}

// A close during a run is a question, not an end: confirmed, it stops the
// run as Stop does, and the window stays with the ending and the record.
TEST_F(MainWindowTest, ClosingDuringARunAsksAndAConfirmedCloseStopsItKeepingTheEndingAndRecord) {
  Build(OneHardDisk(50'000'000));
  StartWithLastDrive();
  ShowPage(1);
  bool closedAtOnce = true;
  int passes = 0;
  QTimer watcher;
  watcher.setInterval(0);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    if (++passes != 5) return;
    watcher.stop();
    closedAtOnce = desktop->Main().close();
  });
  watcher.start();
  QTest::mouseClick(Button("btRunBenchmarks"), Qt::LeftButton);
  EXPECT_FALSE(closedAtOnce);
  ASSERT_EQ(dialogs.taskDialogs.size(), 2u);  // the erase question, then the close question
  const TaskDialogRequest& question = dialogs.taskDialogs[1];
  EXPECT_EQ(question.owner, WindowId::Main);
  EXPECT_TRUE(question.instruction.starts_with(u"Stop the erase of [0] ")) << TextToUtf8(question.instruction);
  EXPECT_TRUE(question.instruction.ends_with(u"? The drive will be left partly erased."));
  EXPECT_EQ(question.defaultButton, IDNO);  // Enter keeps erasing
  EXPECT_TRUE(desktop->Main().isVisible());
  EXPECT_EQ(os->OpenHandleCount(), 1);
  EXPECT_EQ(Lines(Memo("Log_BenchMark")).filter(QStringLiteral("Operation cancelled at offset")).size(), 1);
  ASSERT_EQ(dialogs.messageDialogs.size(), 1u);  // the ending
  EXPECT_EQ(dialogs.messageDialogs[0].caption, u"Erase stopped");
  EXPECT_EQ(dialogs.messageDialogs[0].owner, WindowId::Main);
  EXPECT_TRUE(Button("btSaveReport")->isEnabled());
  EXPECT_TRUE(Label("lbRunFigures")->text().startsWith(QStringLiteral("Stopped at ")))
      << Label("lbRunFigures")->text().toStdString();
  // With the run over, a close closes.
  EXPECT_TRUE(desktop->Main().close());
  EXPECT_EQ(os->OpenHandleCount(), 0);
}

TEST_F(MainWindowTest, ClosingDuringARunAndKeepingOnLetsTheRunGoOn) {
  Build(OneHardDisk(50'000'000));
  StartWithLastDrive();
  ShowPage(1);
  dialogs.answerTask = [](const TaskDialogRequest& request) {
    return request.title == u"Stop the erase?" ? IDNO : IDYES;
  };
  std::int64_t writtenAtClose = 0;
  std::int64_t writtenLater = 0;
  int passes = 0;
  QTimer watcher;
  watcher.setInterval(0);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    ++passes;
    if (passes == 5) {
      EXPECT_FALSE(desktop->Main().close());
      writtenAtClose = os->Medium(0).BytesWritten();
    } else if (passes == 40) {
      writtenLater = os->Medium(0).BytesWritten();
      watcher.stop();
      QTest::mouseClick(Button("btStop"), Qt::LeftButton);
    }
  });
  watcher.start();
  QTest::mouseClick(Button("btRunBenchmarks"), Qt::LeftButton);
  EXPECT_GT(writtenLater, writtenAtClose);
  EXPECT_TRUE(desktop->Main().isVisible());
  EXPECT_EQ(dialogs.taskDialogs.size(), 2u);
  EXPECT_EQ(dialogs.messageDialogs.size(), 1u);
}

TEST_F(MainWindowTest, ChoosingAnotherDriveShowsTheRefilledListAndThenTheNewDriveInEmptiedPages) {
  VirtualMachine machine;
  machine.drives = {test::HardDisk(0), test::HardDisk(1)};
  Build(std::move(machine));
  StartWithLastDrive();
  QPushButton* another = Button("btChooseAnother");
  ASSERT_NE(another, nullptr);
  EXPECT_TRUE(another->isEnabled());
  EXPECT_TRUE(another->text().contains(QStringLiteral("&a")));
  EXPECT_EQ(another->accessibleName(), QStringLiteral("Choose another drive"));
  QTest::mouseClick(Button("btGetSmart"), Qt::LeftButton);
  MainChild<QCheckBox>("cbQuickWipe")->setChecked(true);
  MainChild<QComboBox>("cbVerify")->setCurrentIndex(MainChild<QComboBox>("cbVerify")->findText(QStringLiteral("off")));
  ShowPage(2);

  int rowsShown = -1;
  bool continueEnabled = false;
  WhenModal(&desktop->Choose(), [&] {
    rowsShown = DriveList()->topLevelItemCount();
    continueEnabled = desktop->Choose().findChild<QPushButton*>(QStringLiteral("btContinue"))->isEnabled();
    ClickRow(0);
    QTest::keyClick(DriveList(), Qt::Key_Return);
  });
  QTest::mouseClick(another, Qt::LeftButton);
  EXPECT_EQ(rowsShown, 2);
  EXPECT_TRUE(continueEnabled);
  EXPECT_TRUE(desktop->Main().isVisible());
  EXPECT_EQ(desktop->Drive().Entry().DevicePath, u"\\\\.\\PhysicalDrive0");
  EXPECT_TRUE(Label("lbDiskName")->text().startsWith(QStringLiteral("[0]  ")));
  EXPECT_EQ(MainChild<QTabWidget>("pages")->currentIndex(), 0);
  EXPECT_EQ(Lines(Memo("Log_Details")).filter(QRegularExpression(QStringLiteral("^Model: \\S"))).size(), 1);
  EXPECT_TRUE(Memo("Log_Smart")->toPlainText().isEmpty());
  EXPECT_EQ(Lines(Memo("Log_BenchMark")).size(), 3);
  EXPECT_FALSE(MainChild<QCheckBox>("cbQuickWipe")->isChecked());
  EXPECT_EQ(MainChild<QComboBox>("cbVerify")->currentText(), QStringLiteral("a sample (NIST SP 800-88)"));
  EXPECT_TRUE(FormatControlsAtRest());
  EXPECT_TRUE(another->isEnabled());
  EXPECT_EQ(os->OpenHandleCount(), 1);
}

TEST_F(MainWindowTest, ChooseAnotherDriveIsDisabledDuringARun) {
  Build(OneHardDisk(50'000'000));
  StartWithLastDrive();
  ShowPage(1);
  bool enabledDuringRun = true;
  int passes = 0;
  QTimer watcher;
  watcher.setInterval(0);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    if (++passes != 5) return;
    enabledDuringRun = Button("btChooseAnother")->isEnabled();
    QTest::mouseClick(Button("btStop"), Qt::LeftButton);
  });
  watcher.start();
  QTest::mouseClick(Button("btRunBenchmarks"), Qt::LeftButton);
  watcher.stop();
  EXPECT_FALSE(enabledDuringRun);
  EXPECT_TRUE(Button("btChooseAnother")->isEnabled());
}

TEST_F(MainWindowTest, TheNoticeLinkChangesColourWithTheMouseAndOpensTheAddress) {
  Build(OneHardDisk());
  StartWithLastDrive();
  QLabel* notice = Label("lbCopyright");
  EXPECT_EQ(notice->text(), qt::ToQt(kMakerNotice) + QStringLiteral(";   HTTPS://ORVELLA.EXAMPLE.ORG"));
  EXPECT_EQ(notice->palette().color(QPalette::WindowText), QColor(128, 128, 128));
  QTest::mousePress(notice, Qt::LeftButton);
  EXPECT_EQ(notice->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  QTest::mouseRelease(notice, Qt::LeftButton);
  EXPECT_EQ(notice->palette().color(QPalette::WindowText), QColor(128, 128, 128));
  EXPECT_EQ(shell.opened, std::vector<std::u16string>{kMakerWebAddress});
}

}  // namespace
}  // namespace orvella
