#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTemporaryDir>

#include "ui_qt/desktop_fixture.h"
#include "core/text.h"
#include "ui/qt/panel_status_bar.h"
#include "ui/qt/qt_desktop_services.h"

namespace orvella {
namespace {

VirtualDrive Drive(std::uint32_t number, std::int64_t sectors, std::string product = "Disk") {
  VirtualDrive d;
  d.number = number;
  d.length = sectors * 512;
  d.vendor = "Maker";
  d.product = std::move(product);
  d.revision = "1.0";
  d.serial = "SER" + std::to_string(number);
  return d;
}

VirtualMachine Machine(std::vector<VirtualDrive> drives) {
  VirtualMachine machine;
  machine.drives = std::move(drives);
  return machine;
}

class ChooseWindow : public test::DesktopFixture {
 protected:
  QString Cell(int row, int column) { return DriveList()->topLevelItem(row)->text(column); }
  QPushButton* Continue() { return desktop->Choose().findChild<QPushButton*>(QStringLiteral("btContinue")); }
};

TEST_F(ChooseWindow, ThreeDrivesListInOrderWithTheLastSelectedAndEnterChoosesIt) {
  Build(Machine({Drive(0, 1000000, "Alpha"), Drive(1, 2000000, "Beta"), Drive(2, 3000000, "Gamma")}));
  bool checked = false;
  StartUp([&] {
    QTreeWidget* list = DriveList();
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(Cell(0, 2), QStringLiteral("Maker Alpha"));
    EXPECT_EQ(Cell(1, 2), QStringLiteral("Maker Beta"));
    EXPECT_EQ(Cell(2, 2), QStringLiteral("Maker Gamma"));
    EXPECT_EQ(list->selectedItems(), QList<QTreeWidgetItem*>{list->topLevelItem(2)});
    EXPECT_EQ(list->currentItem(), list->topLevelItem(2));
    EXPECT_EQ(desktop->Choose().focusWidget(), list);
    EXPECT_TRUE(Continue()->isEnabled());
    EXPECT_TRUE(Continue()->isDefault());
    EXPECT_EQ(desktop->Choose().windowTitle(), QStringLiteral("Device Selection - Orvella 4.30"));
    auto* status = desktop->Choose().findChild<qt::PanelStatusBar*>(QStringLiteral("StatusBar"));
    EXPECT_EQ(status->SimpleText(), QStringLiteral("Disks found: 3"));
    checked = true;
    QTest::keyClick(list, Qt::Key_Return);
  });
  EXPECT_TRUE(checked);
  EXPECT_EQ(desktop->Drive().SelectedDevice, 3);
  EXPECT_FALSE(desktop->Choose().isVisible());
  EXPECT_TRUE(desktop->Main().isVisible());
}

// Started without rights every drive refuses: the window says why the list
// is empty and offers, through a button, to start again with the rights.
TEST_F(ChooseWindow, AnEmptyListForWantOfRightsSaysSoAndOffersAStartAsAdministrator) {
  VirtualDrive first = Drive(0, 1000000), second = Drive(1, 1000000);
  first.openError = ERROR_ACCESS_DENIED;
  second.openError = ERROR_ACCESS_DENIED;
  Build(Machine({first, second}));
  bool checked = false;
  StartUp([&] {
    EXPECT_EQ(DriveList()->topLevelItemCount(), 0);
    auto* note = desktop->Choose().findChild<QLabel*>(QStringLiteral("lbUnopened"));
    auto* offer = desktop->Choose().findChild<QPushButton*>(QStringLiteral("btStartAsAdministrator"));
    ASSERT_NE(note, nullptr);
    ASSERT_NE(offer, nullptr);
    EXPECT_TRUE(note->isVisible());
    EXPECT_TRUE(note->text().startsWith(QStringLiteral("No drive could be opened: reading the drives needs "
                                                       "administrator rights.")));
    EXPECT_TRUE(note->text().endsWith(QStringLiteral("2 drives could not be opened: Access is denied.")));
    EXPECT_TRUE(offer->isVisible());
    EXPECT_FALSE(Continue()->isEnabled());
    checked = true;
    QTest::mouseClick(offer, Qt::LeftButton);
  });
  EXPECT_TRUE(checked);
  EXPECT_EQ(shell.adminStarts.size(), 1u);
  EXPECT_FALSE(desktop->Choose().isVisible());
}

TEST_F(ChooseWindow, WithEveryDriveOpenNothingIsSaidBelowTheList) {
  Build(Machine({Drive(0, 1000000)}));
  StartUp([&] {
    EXPECT_FALSE(desktop->Choose().findChild<QLabel*>(QStringLiteral("lbUnopened"))->isVisible());
    EXPECT_FALSE(desktop->Choose().findChild<QPushButton*>(QStringLiteral("btStartAsAdministrator"))->isVisible());
    QTest::keyClick(DriveList(), Qt::Key_Escape);
  });
}

// The six columns of the catalogue, then the device path that tells one
// disk from another.
TEST_F(ChooseWindow, ListHasTheDriveNumberTheCatalogueTheDevicePathAndTheState) {
  VirtualDrive stick = Drive(3, 1000000, "Stick");
  stick.removable = true;
  Build(Machine({Drive(0, 1000000), stick}));
  StartUp([&] {
    QTreeWidget* list = DriveList();
    const QStringList captions{"DRIVE", "BUS",    "MODEL",       "FIRMWARE", "SERIAL NUMBER",
                               "LBA",   "CAPACITY", "DEVICE PATH", "STATE"};
    ASSERT_EQ(list->columnCount(), 9);
    for (int c = 0; c < 9; ++c) EXPECT_EQ(list->headerItem()->text(c), captions[c]);
    const std::vector<int> widths{48, 78, 170, 90, 160, 117};
    for (int c = 0; c < 6; ++c) EXPECT_EQ(list->columnWidth(c), widths[static_cast<std::size_t>(c)]);
    EXPECT_GT(list->columnWidth(6), 0);
    EXPECT_EQ(Cell(0, 0), QStringLiteral("0"));
    EXPECT_EQ(Cell(1, 0), QStringLiteral("3"));
    EXPECT_EQ(Cell(0, 7), QStringLiteral("\\\\.\\PhysicalDrive0"));
    EXPECT_EQ(Cell(0, 8), QStringLiteral("-"));
    EXPECT_EQ(Cell(1, 8), QStringLiteral("removable"));
    // The device path is never cut.
    EXPECT_GE(list->columnWidth(7), list->fontMetrics().horizontalAdvance(Cell(1, 7)));
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    QTest::keyClick(list, Qt::Key_Escape);
  });
}

// The row under the mouse must not look like the chosen one: the hover is
// a faint tint, the selection the theme's highlight itself, whatever the
// theme's colours.
TEST_F(ChooseWindow, HoverIsAFaintTintAndSelectionTheHighlight) {
  Build(Machine({Drive(0, 1000000)}));
  StartUp([&] {
    QTreeWidget* list = DriveList();
    const std::string sheet = list->styleSheet().toStdString();
    EXPECT_NE(sheet.find("item:selected { background: palette(highlight); color: palette(highlighted-text); }"),
              std::string::npos)
        << sheet;
    EXPECT_NE(sheet.find("item:hover { background: rgba("), std::string::npos) << sheet;
    EXPECT_NE(sheet.find(", 45); }"), std::string::npos) << sheet;
    QTest::keyClick(list, Qt::Key_Escape);
  });
}

// A 24-bay server: every drive is a row, and the list scrolls to the last
// one, which is preselected.
TEST_F(ChooseWindow, EveryDriveOfABigMachineIsARowAndTheListScrolls) {
  std::vector<VirtualDrive> drives;
  for (std::uint32_t n = 0; n < 24; ++n) drives.push_back(Drive(n, 1000000));
  Build(Machine(drives));
  StartUp([&] {
    QTreeWidget* list = DriveList();
    ASSERT_EQ(list->topLevelItemCount(), 24);
    EXPECT_EQ(Cell(23, 7), QStringLiteral("\\\\.\\PhysicalDrive23"));
    EXPECT_GT(list->verticalScrollBar()->maximum(), 0);
    QApplication::processEvents();
    EXPECT_TRUE(list->viewport()->rect().intersects(list->visualItemRect(list->topLevelItem(23))));
    QTest::keyClick(list, Qt::Key_Escape);
  });
}

// The walk trims what the storage stack reports except the model's leading
// blank, so this catalogue entry is written in directly.
TEST_F(ChooseWindow, ModelIsTrimmedWhileFirmwareAndSerialShowAsStored) {
  Build(Machine({}));
  TDeviceTable& entry = desktop->State().DeviceTables[1];
  entry.IdentifyData.Model = u"  Veltra HD500   ";
  entry.IdentifyData.FW = u"01.02A  ";
  entry.IdentifyData.SN = u"  VLT 42 ";
  entry.IdentifyData.LBA = 976773168;
  entry.IdentifyData.SectorSize = 512;
  entry.IdentifyData.BusType = BusTypeAta;
  desktop->State().DeviceCount = 1;
  locale.decimalSeparator = u',';
  WhenModal(&desktop->Choose(), [&] {
    EXPECT_EQ(Cell(0, 1), QStringLiteral("ATA"));
    EXPECT_EQ(Cell(0, 2), QStringLiteral("Veltra HD500"));
    EXPECT_EQ(Cell(0, 3), QStringLiteral("01.02A  "));
    EXPECT_EQ(Cell(0, 4), QStringLiteral("  VLT 42 "));
    EXPECT_EQ(Cell(0, 5), QStringLiteral("976773168"));
    EXPECT_EQ(Cell(0, 6), QStringLiteral("500,1 GB"));
    QTest::keyClick(DriveList(), Qt::Key_Return);
  });
  EXPECT_TRUE(ChooseDevice(desktop->Drive(), desktop->ChooseLogic()));
}

// A drive too small to be chosen is greyed in the list: a click or a
// double click on it selects nothing and asks nothing; one of exactly
// 65535 sectors is chosen.
TEST_F(ChooseWindow, ADriveBelow65535SectorsIsGreyedAndCannotBeChosenWhileOneOf65535Can) {
  Build(Machine({Drive(0, 65534, "Small"), Drive(1, 65535, "Exact")}));
  StartUp([&] {
    QTreeWidget* list = DriveList();
    EXPECT_FALSE(list->topLevelItem(0)->flags() & Qt::ItemIsEnabled);
    EXPECT_FALSE(list->topLevelItem(0)->flags() & Qt::ItemIsSelectable);
    EXPECT_EQ(Cell(0, 8), QStringLiteral("too small"));
    EXPECT_TRUE(list->topLevelItem(1)->isSelected());  // the last drive that can be chosen
    ClickRow(0);
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_FALSE(Continue()->isEnabled());
    ClickRow(0, true);
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_TRUE(desktop->Choose().isVisible());
    EXPECT_EQ(desktop->Drive().SelectedDevice, -1);
    ClickRow(1);
    QTest::mouseClick(Continue(), Qt::LeftButton);
  });
  EXPECT_EQ(desktop->Drive().SelectedDevice, 2);
  EXPECT_EQ(WriteOpens().size(), 1u);
}

TEST_F(ChooseWindow, DoubleClickActsAsContinue) {
  Build(Machine({Drive(0, 1000000, "Other"), Drive(1, 1000000, "Big")}));
  StartUp([&] { ClickRow(0, true); });
  EXPECT_EQ(desktop->Drive().SelectedDevice, 1);
}

TEST_F(ChooseWindow, AClickOnEmptySpaceClearsTheSelectionAndDisablesContinue) {
  Build(Machine({Drive(0, 1000000)}));
  StartUp([&] {
    QTreeWidget* list = DriveList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(20, list->viewport()->height() - 10));
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_FALSE(Continue()->isEnabled());
    QTest::keyClick(list, Qt::Key_Return);  // the disabled default button does nothing
    EXPECT_TRUE(desktop->Choose().isVisible());
    ClickRow(0);
    EXPECT_TRUE(Continue()->isEnabled());
    QTest::keyClick(list, Qt::Key_Escape);
  });
}

TEST_F(ChooseWindow, EscapeInTheListEndsTheProgramWithoutOpeningADrive) {
  Build(Machine({Drive(0, 1000000)}));
  EXPECT_FALSE(StartUp([&] { QTest::keyClick(DriveList(), Qt::Key_Escape); }));
  EXPECT_TRUE(desktop->App().Terminated());
  EXPECT_TRUE(WriteOpens().empty());
  EXPECT_FALSE(desktop->Main().isVisible());
  EXPECT_FALSE(desktop->Choose().isVisible());
}

TEST_F(ChooseWindow, ClosingTheWindowWithoutAChoiceEndsTheProgram) {
  Build(Machine({Drive(0, 1000000)}));
  EXPECT_FALSE(StartUp([&] { desktop->Choose().close(); }));
  EXPECT_TRUE(desktop->App().Terminated());
  EXPECT_TRUE(WriteOpens().empty());
}

TEST_F(ChooseWindow, EscapeOutsideTheListDoesNothing) {
  Build(Machine({Drive(0, 1000000)}));
  StartUp([&] {
    QTest::keyClick(Continue(), Qt::Key_Escape);
    EXPECT_TRUE(desktop->Choose().isVisible());
    EXPECT_FALSE(desktop->App().Terminated());
    QTest::keyClick(DriveList(), Qt::Key_Return);
  });
  EXPECT_EQ(desktop->Drive().SelectedDevice, 1);
}

TEST_F(ChooseWindow, AnEmptyMachineLeavesContinueDisabled) {
  Build(Machine({}));
  EXPECT_FALSE(StartUp([&] {
    EXPECT_EQ(DriveList()->topLevelItemCount(), 0);
    EXPECT_FALSE(Continue()->isEnabled());
    desktop->Choose().close();
  }));
}

TEST_F(ChooseWindow, LinksOpenTheWebAddressAndDiskManagement) {
  Build(Machine({Drive(0, 1000000)}));
  StartUp([&] {
    auto* label1 = desktop->Choose().findChild<QLabel*>(QStringLiteral("Label1"));
    EXPECT_EQ(label1->text(), QStringLiteral("HTTPS://ORVELLA.EXAMPLE.ORG"));
    QTest::mousePress(label1, Qt::LeftButton);
    EXPECT_EQ(label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QTest::mouseRelease(label1, Qt::LeftButton);
    EXPECT_EQ(label1->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QTest::mouseClick(desktop->Choose().findChild<QLabel*>(QStringLiteral("lbDiskManagement")), Qt::LeftButton);
    QTest::keyClick(DriveList(), Qt::Key_Escape);
  });
  EXPECT_EQ(shell.opened, std::vector<std::u16string>{kMakerWebAddress});
  EXPECT_EQ(shell.diskManagementStarts, 1);
}

// On a machine with neither GNOME Disks nor KDE Partition Manager the link
// says so instead of doing nothing.
TEST(QtShellTest, WithoutADiskToolTheLinkSaysWhatIsMissing) {
  const QByteArray path = qgetenv("PATH");
  const QTemporaryDir empty;
  qputenv("PATH", empty.path().toLocal8Bit());
  qt::QtShell shell;
  const std::u16string problem = shell.StartDiskManagement();
  qputenv("PATH", path);
  EXPECT_NE(problem.find(u"neither GNOME Disks (gnome-disks) nor KDE Partition Manager (partitionmanager)"),
            std::u16string::npos)
      << TextToUtf8(problem);
}

}  // namespace
}  // namespace orvella
