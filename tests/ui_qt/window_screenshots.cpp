// window-screenshots DIR [--dark]
//
// Runs the desktop program on the demo drives with fake dialogs and saves
// pictures of the three windows as the user meets them: the debug window,
// the selection window, and the main window's three pages after the
// S.M.A.R.T. report and a format run stopped part way, and the selection
// window and main window again after "Choose another drive…". For looking at the
// real windows (run it under xvfb-run with QT_QPA_PLATFORM=xcb). The
// erase question and the ending dialog the run asked are shown again as the
// real dialogs and saved too, and the SSD's format page with its own erase
// chosen. --dark gives every window a dark palette.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QMessageBox>
#include <QPalette>
#include <QStyleFactory>
#include <QDir>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <iostream>

#include "platform/virtual/demo_drives.h"
#include "platform/virtual/virtual_os.h"
#include "support/desktop_fakes.h"
#include "support/fakes.h"
#include "ui/qt/desktop_program.h"
#include "ui/qt/qt_dialogs.h"
#include "ui_qt/dark_palette.h"

namespace orvella::test {
namespace {

void Save(QWidget& window, const QDir& dir, const QString& name) {
  QCoreApplication::processEvents();
  const QString path = dir.filePath(name + QStringLiteral(".png"));
  window.grab().save(path);
  std::cout << path.toStdString() << '\n';
}

// Runs `action` from inside the modal loop of `window`.
void WhenModal(QWidget* window, std::function<void()> action) {
  auto* timer = new QTimer(window);
  QObject::connect(timer, &QTimer::timeout, [timer, window, action] {
    if (QApplication::activeModalWidget() != window) return;
    timer->stop();
    action();
  });
  timer->start(50);
}

// The program on the demo drives with fake surroundings.
struct DemoDesktop {
  explicit DemoDesktop(std::vector<std::u16string> arguments)
      : os(DemoDrives(), [this](std::int64_t ms) { clock.Advance(ms); }),
        desktop(os, clock, locale, halt, std::move(arguments), &dialogs, &shell) {
    // Records of the pictures' runs are kept where nobody looks for them.
    shell.documentsFolder = QDir::temp().filePath(QStringLiteral("orvella-screenshot-records")).toStdU16String();
  }

  // Starts the program and chooses list row `row`; false when it ended.
  bool StartOn(int row, const QDir& dir, const QString& chooseShot) {
    WhenModal(&desktop.Choose(), [this, row, dir, chooseShot] {
      if (!chooseShot.isEmpty()) Save(desktop.Choose(), dir, chooseShot);
      auto* list = desktop.Choose().findChild<QTreeWidget*>(QStringLiteral("DriveList"));
      list->setCurrentItem(list->topLevelItem(row));
      QTest::keyClick(list, Qt::Key_Return);
    });
    if (!desktop.Start()) return false;
    desktop.Main().show();
    return true;
  }

  // Runs a format and presses Stop (or closes the window, which asks
  // first) after `passes` passes of the write loop (never, when the run
  // ends first), saving a picture just before.
  void FormatAndStop(int passes, const QDir& dir, const QString& runningShot, bool byClosing = false) {
    QWidget& main = desktop.Main();
    main.findChild<QTabWidget*>(QStringLiteral("pages"))->setCurrentIndex(1);
    int seen = 0;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      if (++seen == passes) Save(main, dir, runningShot);
      if (seen != passes + 1) return;
      if (byClosing) main.close();
      else QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("btStop")), Qt::LeftButton);
    });
    watcher.start(0);
    QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("btRunBenchmarks")), Qt::LeftButton);
  }

  FakeClock clock;
  FakeLocale locale;
  RecordingHalt halt;
  FakeDialogs dialogs;
  FakeShell shell;
  VirtualOs os;
  qt::DesktopProgram desktop;
};

// Saves the dialog that opens next, then closes it.
void SaveNextDialog(const QDir& dir, const QString& name) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, dir, name] {
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr) return;
    timer->stop();
    timer->deleteLater();
    Save(*box, dir, name);
    // A message box without an escape button ignores close(); done() ends
    // any dialog's modal loop.
    if (auto* dialog = qobject_cast<QDialog*>(box)) {
      dialog->done(0);
    } else {
      box->close();
    }
  });
  timer->start(50);
}

// The dialogs a run asked of the fakes, shown as the real ones.
void SaveRunDialogs(const FakeDialogs& asked, const QDir& dir, const QString& prefix) {
  qt::QtDialogs real([](WindowId) { return nullptr; });
  for (std::size_t i = 0; i < asked.taskDialogs.size(); ++i) {
    SaveNextDialog(dir, prefix + QStringLiteral("-question") + (i > 0 ? QString::number(i + 1) : QString()));
    real.TaskDialog(asked.taskDialogs[i]);
  }
  if (!asked.messageDialogs.empty()) {
    SaveNextDialog(dir, prefix + QStringLiteral("-ending"));
    real.MessageDialog(asked.messageDialogs.back());
  }
}

void UseDarkPalette() {
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QApplication::setPalette(test::RoleByRoleDarkPalette());
}

int Run(int argc, char** argv) {
  QApplication application(argc, argv);
  const bool dark = argc == 3 && QString::fromLocal8Bit(argv[2]) == QStringLiteral("--dark");
  if (argc != 2 && !dark) {
    std::cerr << "usage: window-screenshots DIR [--dark]\n";
    return 2;
  }
  if (dark) UseDarkPalette();
  const QDir dir(QString::fromLocal8Bit(argv[1]));
  {
    // The hard disk: the debug window, the list, the two reports.
    DemoDesktop demo({u"orvella-demo", u"--debug"});
    WhenModal(&demo.desktop.Debug(), [&] {
      Save(demo.desktop.Debug(), dir, QStringLiteral("1-debug"));
      demo.desktop.Debug().close();
    });
    if (!demo.StartOn(0, dir, QStringLiteral("2-choose"))) return 1;
    QWidget& main = demo.desktop.Main();
    Save(main, dir, QStringLiteral("3-main-details"));
    main.findChild<QTabWidget*>(QStringLiteral("pages"))->setCurrentIndex(2);
    QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("btGetSmart")), Qt::LeftButton);
    Save(main, dir, QStringLiteral("4-main-smart"));
    // "Choose another drive…": the list walked again, then the new drive.
    WhenModal(&demo.desktop.Choose(), [&] {
      Save(demo.desktop.Choose(), dir, QStringLiteral("8-choose-again"));
      auto* list = demo.desktop.Choose().findChild<QTreeWidget*>(QStringLiteral("DriveList"));
      list->setCurrentItem(list->topLevelItem(1));
      QTest::keyClick(list, Qt::Key_Return);
    });
    QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("btChooseAnother")), Qt::LeftButton);
    Save(main, dir, QStringLiteral("9-main-another-drive"));
    // The SSD's own erase chosen on the format page.
    main.findChild<QTabWidget*>(QStringLiteral("pages"))->setCurrentIndex(1);
    auto* methods = main.findChild<QComboBox*>(QStringLiteral("cbMethod"));
    const int crypto = methods->findData(static_cast<int>(EraseMethod::CryptoErase));
    methods->setCurrentIndex(crypto);
    emit methods->activated(crypto);
    Save(main, dir, QStringLiteral("10-format-purge-chosen"));
  }
  {
    // The USB stick: a run stopped part way, by a close of the window that
    // was confirmed, leaves the bar paused and the window open.
    DemoDesktop demo({u"orvella-demo"});
    if (!demo.StartOn(2, dir, {})) return 1;
    demo.FormatAndStop(300, dir, QStringLiteral("5-format-running"), true);
    Save(demo.desktop.Main(), dir, QStringLiteral("6-format-stopped"));
    SaveRunDialogs(demo.dialogs, dir, QStringLiteral("6"));
  }
  {
    // The write-protected SD card: the run fails and the bar shows it.
    DemoDesktop demo({u"orvella-demo"});
    if (!demo.StartOn(4, dir, {})) return 1;
    demo.FormatAndStop(100000, dir, {});
    Save(demo.desktop.Main(), dir, QStringLiteral("7-format-failed"));
    SaveRunDialogs(demo.dialogs, dir, QStringLiteral("7"));
  }
  return 0;
}

}  // namespace
}  // namespace orvella::test

int main(int argc, char** argv) { return orvella::test::Run(argc, argv); }
