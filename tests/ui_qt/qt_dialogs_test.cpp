#include "ui/qt/qt_dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace orvella {
namespace {

struct Shown {
  QString title, text, informative;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
};

// Presses the button captioned `caption` of the message box that opens
// next, after noting what it shows.
void PressInNextBox(const QString& caption, Shown& shown) {
  QTimer::singleShot(0, [caption, &shown] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    shown = {box->windowTitle(), box->text(), box->informativeText(), box->icon(), {}};
    QAbstractButton* pressed = nullptr;
    for (QAbstractButton* button : box->buttons()) {
      shown.buttons << button->text();
      if (button->text() == caption) pressed = button;
    }
    if (pressed == nullptr) {
      box->close();
      return;
    }
    QTest::mouseClick(pressed, Qt::LeftButton);
  });
}

TEST(QtDialogs, TaskDialogShowsTitleInstructionAndContentAndReportsThePressedButton) {
  qt::QtDialogs dialogs([](WindowId) { return nullptr; });
  TaskDialogRequest request{WindowId::Main, u"Warning", u"All data will be lost", u"Sure?", 84, 10};
  Shown shown;
  PressInNextBox(QStringLiteral("&Yes"), shown);
  EXPECT_EQ(dialogs.TaskDialog(request), IDYES);
  EXPECT_EQ(shown.title, QStringLiteral("Warning"));
  EXPECT_EQ(shown.text, QStringLiteral("All data will be lost"));
  EXPECT_EQ(shown.informative, QStringLiteral("Sure?"));
  EXPECT_EQ(shown.icon, QMessageBox::Warning);
  EXPECT_EQ(shown.buttons.size(), 2);

  PressInNextBox(QStringLiteral("&Cancel"), shown);
  EXPECT_EQ(dialogs.TaskDialog(request), IDCANCEL);

  request.buttons = TDCBF_CLOSE_BUTTON;
  PressInNextBox(QStringLiteral("&Close"), shown);
  EXPECT_EQ(dialogs.TaskDialog(request), IDCLOSE);
}

TEST(QtDialogs, MessageDialogUsesTheGivenCaptionsAndResults) {
  qt::QtDialogs dialogs([](WindowId) { return nullptr; });
  MessageDialogRequest request{u"Sure?", MessageIcon::Warning, u"Warning", {{u"&Yes", 6}, {u"&Abort", 3}}};
  Shown shown;
  PressInNextBox(QStringLiteral("&Abort"), shown);
  EXPECT_EQ(dialogs.MessageDialog(request), 3);
  EXPECT_EQ(shown.title, QStringLiteral("Warning"));
  EXPECT_EQ(shown.text, QStringLiteral("Sure?"));
  shown.buttons.sort();
  EXPECT_EQ(shown.buttons, (QStringList{"&Abort", "&Yes"}));
}

// Presses Enter in the message box that opens next.
void EnterInNextBox() {
  QTimer::singleShot(0, [] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    QTest::keyClick(box, Qt::Key_Return);
  });
}

// Enter must not answer Yes to a question whose default is Cancel: a second
// press of Enter after "FORMAT THIS DEVICE" leaves the drive alone.
TEST(QtDialogs, EnterPressesTheDefaultButtonThatWasAskedFor) {
  qt::QtDialogs dialogs([](WindowId) { return nullptr; });
  TaskDialogRequest task{WindowId::Main, u"Warning", u"All data will be lost", u"Sure?", 84, 10, IDCANCEL};
  EnterInNextBox();
  EXPECT_EQ(dialogs.TaskDialog(task), IDCANCEL);

  MessageDialogRequest message{u"Sure?", MessageIcon::Warning, u"Warning", {{u"&Yes", IDYES}, {u"Cancel", IDCANCEL}},
                               IDCANCEL};
  EnterInNextBox();
  EXPECT_EQ(dialogs.MessageDialog(message), IDCANCEL);
}

// The erase question's button names the act and the drive and has no
// accelerator: "y" or "e" presses nothing, Enter presses Cancel, and only a
// press of the button itself erases.
TEST(QtDialogs, ANamedButtonWithoutAcceleratorAnswersOnlyWhenPressed) {
  qt::QtDialogs dialogs([](WindowId) { return nullptr; });
  TaskDialogRequest task{WindowId::Main, u"Warning", u"All data will be lost", u"Sure?", kTaskIconWarning,
                         TDCBF_CANCEL_BUTTON,    IDCANCEL, {{u"Erase drive 3", IDYES}}};
  Shown shown;
  PressInNextBox(QStringLiteral("Erase drive 3"), shown);
  EXPECT_EQ(dialogs.TaskDialog(task), IDYES);
  EXPECT_EQ(shown.buttons.size(), 2);
  EXPECT_TRUE(shown.buttons.contains(QStringLiteral("Erase drive 3")));

  bool openAfterKeys = false;
  QTimer::singleShot(0, [&openAfterKeys] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    for (const Qt::Key key : {Qt::Key_Y, Qt::Key_E}) QTest::keyClick(box, key);
    QTest::qWait(300);  // a mnemonic's click is animated: give it time to land
    openAfterKeys = box->isVisible();
    QTest::keyClick(box, Qt::Key_Return);
  });
  EXPECT_EQ(dialogs.TaskDialog(task), IDCANCEL);
  EXPECT_TRUE(openAfterKeys);
}

// The ending belongs to the window it reports on.
TEST(QtDialogs, AMessageDialogIsModalOverItsOwner) {
  QWidget owner;
  owner.resize(400, 300);
  owner.show();
  qt::QtDialogs dialogs([&owner](WindowId id) { return id == WindowId::Main ? &owner : nullptr; });
  QWidget* parent = nullptr;
  bool ownerBlocked = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    parent = box->parentWidget();
    ownerBlocked = QApplication::activeModalWidget() != &owner && box->isModal();
    box->close();
  });
  MessageDialogRequest request{u"Stopped.", MessageIcon::Warning, u"Erase stopped", {{u"OK", IDOK}}, IDOK,
                               WindowId::Main};
  dialogs.MessageDialog(request);
  EXPECT_EQ(parent, &owner);
  EXPECT_TRUE(ownerBlocked);
}

}  // namespace
}  // namespace orvella
