// The desktop program on simulated drives with fake surroundings, driven
// through real widget events. Modal windows are answered from inside their
// loops; dialogs are answered by FakeDialogs without blocking.
#pragma once

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <functional>
#include <memory>

#include "platform/virtual/virtual_os.h"
#include "support/desktop_fakes.h"
#include "support/fakes.h"
#include "ui/qt/desktop_program.h"

namespace orvella::test {

class DesktopFixture : public ::testing::Test {
 protected:
  void TearDown() override { timers_.clear(); }

  void Build(VirtualMachine machine, std::vector<std::u16string> extraArguments = {}) {
    os = std::make_unique<VirtualOs>(std::move(machine), [this](std::int64_t ms) { clock.Advance(ms); });
    std::vector<std::u16string> arguments{u"/opt/orvella/orvella"};
    for (auto& argument : extraArguments) arguments.push_back(std::move(argument));
    desktop = std::make_unique<qt::DesktopProgram>(*os, clock, locale, halt, std::move(arguments), &dialogs, &shell);
  }

  // Runs `action` once `window` is the active modal window, from inside its
  // modal loop. A window the action leaves open is closed, so that a failed
  // expectation cannot hang the test.
  void WhenModal(QWidget* window, std::function<void()> action) {
    auto& timer = timers_.emplace_back(std::make_unique<QTimer>());
    QTimer* raw = timer.get();
    raw->setInterval(5);
    QObject::connect(raw, &QTimer::timeout, [raw, window, action] {
      if (QApplication::activeModalWidget() != window) return;
      raw->stop();
      action();
      if (window->isVisible()) window->close();
    });
    raw->start();
  }

  // Starts the program with `user` acting in the selection window; shows
  // the main window when the program goes on.
  bool StartUp(std::function<void()> user) {
    WhenModal(&desktop->Choose(), std::move(user));
    const bool goesOn = desktop->Start();
    if (goesOn) desktop->Main().show();
    return goesOn;
  }

  // Starts the program and chooses the preselected drive with Enter.
  void StartWithLastDrive() {
    ASSERT_TRUE(StartUp([this] { QTest::keyClick(DriveList(), Qt::Key_Return); }));
  }

  QTreeWidget* DriveList() { return desktop->Choose().findChild<QTreeWidget*>(QStringLiteral("DriveList")); }

  template <typename T = QWidget>
  T* MainChild(const char* name) {
    return desktop->Main().findChild<T*>(QLatin1String(name));
  }

  void ClickRow(int row, bool twice = false) {
    QTreeWidget* list = DriveList();
    const QPoint centre = list->visualItemRect(list->topLevelItem(row)).center();
    if (twice) {
      QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    } else {
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    }
  }

  std::vector<RequestRecord> WriteOpens() const {
    std::vector<RequestRecord> opens;
    for (const auto& r : os->Requests())
      if (r.kind == RequestRecord::Kind::Open && (r.access & GENERIC_WRITE)) opens.push_back(r);
    return opens;
  }

  FakeClock clock;
  FakeLocale locale;
  RecordingHalt halt;
  FakeDialogs dialogs;
  FakeShell shell;
  std::unique_ptr<VirtualOs> os;
  std::unique_ptr<qt::DesktopProgram> desktop;

 private:
  std::vector<std::unique_ptr<QTimer>> timers_;
};

}  // namespace orvella::test
