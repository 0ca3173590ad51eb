#include "app/drive_choose.h"

#include <gtest/gtest.h>

#include "app/view_fakes.h"
#include "core/text.h"
#include "catalogue/unopened_drives.h"
#include "core/text.h"
#include "support/desktop_fakes.h"
#include "support/hostile_text.h"
#include "support/test_program.h"

namespace orvella {
namespace {

using test::FakeChooseView;

TDeviceTable Entry(std::u16string model, std::int64_t lba, std::int64_t busType = BusTypeSata) {
  TDeviceTable entry;
  entry.IdentifyData.Model = std::move(model);
  entry.IdentifyData.FW = u"FW01    ";
  entry.IdentifyData.SN = u"  SN-1";
  entry.IdentifyData.LBA = lba;
  entry.IdentifyData.SectorSize = 512;
  entry.IdentifyData.BusType = busType;
  return entry;
}

class ChooseWindow : public ::testing::Test {
 protected:
  ChooseWindow() { view.window = &window; }

  void Catalogue(std::vector<TDeviceTable> entries) {
    for (std::size_t i = 0; i < entries.size(); ++i) t.program.DeviceTables[i + 1] = entries[i];
    t.program.DeviceCount = static_cast<std::int64_t>(entries.size());
  }
  void ThreeDrives() {
    Catalogue({Entry(u"ALPHA", 976773168, BusTypeAta), Entry(u"BETA", 1000000, BusTypeUsb),
               Entry(u"GAMMA", 2000000)});
  }
  bool Choose(std::function<void()> user) {
    view.whileShown = std::move(user);
    return ChooseDevice(t.drive, window);
  }

  test::TestProgram t;
  test::FakeDesktop d;
  FakeChooseView view;
  TFmChoose window{t.program, d.desktop, view};
};

TEST_F(ChooseWindow, ThreeDrivesListInOrderWithTheLastPreselectedAndContinueChoosesIt) {
  ThreeDrives();
  EXPECT_TRUE(Choose([&] {
    EXPECT_TRUE(view.listFocused);
    EXPECT_EQ(view.selected, 2);
    EXPECT_TRUE(view.continueEnabled);
    window.btContinueClick();  // Enter reaches the default button
  }));
  ASSERT_EQ(view.rows.size(), 3u);
  EXPECT_EQ(view.rows[0][1], u"ALPHA");
  EXPECT_EQ(view.rows[1][1], u"BETA");
  EXPECT_EQ(view.rows[2][1], u"GAMMA");
  EXPECT_EQ(t.drive.SelectedDevice, 3);
  EXPECT_FALSE(view.open);
  EXPECT_EQ(d.application.terminateCalls, 0);
}

TEST_F(ChooseWindow, RowCellsTrimOnlyTheModelAndEndWithTheDevicePath) {
  t.locale.decimalSeparator = u',';
  Catalogue({Entry(u"  WDC WD5000AAKS  ", 976773168, BusTypeAta)});
  t.program.DeviceTables[1].DeviceNumber = 3;
  EXPECT_EQ(DriveListRow(t.program, 1), (DriveRow{u"ATA", u"WDC WD5000AAKS", u"FW01    ", u"  SN-1", u"976773168",
                                                  u"500,1 GB", u"\\\\.\\PhysicalDrive3"}));
}

// A drive names itself: its escape sequences must not redraw the list, nor
// an override reverse the cells after it.
TEST_F(ChooseWindow, WhatADriveReportsIsListedWithItsControlCharactersShown) {
  Catalogue({Entry(Utf8ToText(test::kSpoofingProduct), 1000000)});
  t.program.DeviceTables[1].IdentifyData.SN = Utf8ToText(test::kReversingProduct);
  t.program.DeviceTables[1].IdentifyData.FW = u"F\x9bW";
  Choose([&] { window.FormClose(); });
  ASSERT_EQ(view.rows.size(), 1u);
  for (const std::u16string& cell : view.rows[0]) EXPECT_FALSE(test::HoldsRawControls(TextToUtf8(cell)));
  EXPECT_EQ(TextToUtf8(view.rows[0][1]),
            "Stick\\x1b[2K\\x0d\\x1b[1A\\x1b[2KDrive 0: \\\\.\\PhysicalDrive0, model \"BACKUP DISK\"");
  EXPECT_EQ(view.rows[0][3], u"Stick<U+202E>KSID PUKCAB");
  EXPECT_EQ(view.rows[0][2], u"F\\x9bW");
  // The catalogue itself, which the record is written from, keeps the bytes.
  EXPECT_EQ(DriveListRow(t.program, 1)[1], Utf8ToText(test::kSpoofingProduct));
}

TEST_F(ChooseWindow, ACapacityBeyond64BitsIsShownAsNone) {
  TDeviceTable huge = Entry(u"HUGE", std::int64_t{1} << 54);
  huge.IdentifyData.SectorSize = 1024;  // 2^64 bytes
  Catalogue({huge});
  EXPECT_EQ(DriveListRow(t.program, 1)[5], u"0 bytes");
}

TEST_F(ChooseWindow, ADriveBelow65535SectorsIsRefusedAndTheWindowStays) {
  Catalogue({Entry(u"SMALL", 65534), Entry(u"EXACT", 65535)});
  EXPECT_TRUE(Choose([&] {
    view.SelectRow(0);
    window.btContinueClick();
    ASSERT_EQ(d.dialogs.boxes.size(), 1u);
    EXPECT_EQ(d.dialogs.boxes[0].text, u"This device cannot be accessed because it is smaller than 65535 sectors.  ");
    EXPECT_EQ(d.dialogs.boxes[0].caption, u"Cannot access this device");
    EXPECT_EQ(d.dialogs.boxes[0].icon, MessageIcon::Information);
    EXPECT_TRUE(view.open);
    EXPECT_FALSE(window.DeviceChosen());
    EXPECT_EQ(t.drive.SelectedDevice, -1);

    view.SelectRow(1);
    window.btContinueClick();
  }));
  EXPECT_EQ(t.drive.SelectedDevice, 2);
}

TEST_F(ChooseWindow, DoubleClickActsAsContinueIncludingTheRefusal) {
  Catalogue({Entry(u"SMALL", 100), Entry(u"BIG", 1000000)});
  EXPECT_TRUE(Choose([&] {
    view.SelectRow(0);
    window.DriveListDblClick();
    EXPECT_EQ(d.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(view.open);
    view.SelectRow(-1);
    window.DriveListDblClick();  // on empty space: nothing
    EXPECT_TRUE(view.open);
    view.SelectRow(1);
    window.DriveListDblClick();
  }));
  EXPECT_EQ(t.drive.SelectedDevice, 2);
}

// Every later screen calls a drive [n]: the list shows n first, and what
// the user must know before choosing it last.
TEST_F(ChooseWindow, LinesStartWithTheDriveNumberAndEndWithTheState) {
  Catalogue({Entry(u"ALPHA", 976773168), Entry(u"STICK", 1000000, BusTypeUsb)});
  t.program.DeviceTables[1].DeviceNumber = 0;
  t.program.DeviceTables[2].DeviceNumber = 4;  // numbers may have gaps
  t.program.DeviceTables[2].IdentifyData.RemovableMedia = 1;
  Choose([&] { view.Close(); });
  ASSERT_EQ(view.lines.size(), 2u);
  EXPECT_EQ(view.lines[0].number, u"0");
  EXPECT_EQ(view.lines[1].number, u"4");
  EXPECT_EQ(view.lines[0].state, u"-");
  EXPECT_EQ(view.lines[1].state, u"removable");
  const auto cells = DriveListCells(view.lines[1]);
  EXPECT_EQ(cells.front(), u"4");
  EXPECT_EQ(cells[2], u"STICK");
  EXPECT_EQ(cells[7], u"\\\\.\\PhysicalDrive4");
  EXPECT_EQ(cells.back(), u"removable");
  EXPECT_EQ(std::u16string(kDriveListColumns.front().caption), u"DRIVE");
  EXPECT_EQ(std::u16string(kDriveListColumns.back().caption), u"STATE");
}

// A drive too small to be chosen is marked in the list and passed over:
// it is not preselected, and selecting it leaves Continue disabled.
TEST_F(ChooseWindow, ATooSmallDriveIsMarkedAndNeitherPreselectedNorContinuable) {
  Catalogue({Entry(u"BIG", 1000000), Entry(u"SMALL", 65534)});
  Choose([&] {
    EXPECT_EQ(view.selected, 0);
    EXPECT_TRUE(view.continueEnabled);
    view.SelectRow(1);
    window.DriveListClick();
    EXPECT_FALSE(view.continueEnabled);
    view.Close();
  });
  EXPECT_TRUE(view.lines[0].choosable);
  EXPECT_FALSE(view.lines[1].choosable);
  EXPECT_EQ(view.lines[1].state, u"too small");

  // Only small drives: nothing is preselected, Continue stays disabled.
  FakeChooseView alone;
  TFmChoose other(t.program, d.desktop, alone);
  alone.window = &other;
  Catalogue({Entry(u"SMALL", 100)});
  alone.whileShown = [&] {
    EXPECT_EQ(alone.selected, -1);
    EXPECT_FALSE(alone.continueEnabled);
    alone.Close();
  };
  EXPECT_FALSE(ChooseDevice(t.drive, other));
}

TEST(DriveState, TheRunningSystemsDiskIsNamedBeforeEverythingElse) {
  DriveNames names;
  EXPECT_EQ(DriveStateText(names, false, false), u"-");
  names.fileSystems = {{u"/home", u"/dev/sda3"}, {u"/media/stick", u"/dev/sdb1"}};
  names.mounted = true;
  EXPECT_FALSE(HoldsRunningSystem(names));
  EXPECT_EQ(DriveStateText(names, false, false), u"mounted");
  for (const char16_t* place : {u"/", u"/boot", u"/usr", u"/boot/efi", u"C:\\"}) {
    names.fileSystems = {{u"/home", u"/dev/sda3"}, {place, u"/dev/sda1"}};
    EXPECT_TRUE(HoldsRunningSystem(names)) << TextToUtf8(place);
  }
  names.readOnly = true;
  EXPECT_EQ(DriveStateText(names, true, true), u"system disk, removable, read-only, mounted, too small");
}

TEST_F(ChooseWindow, ClickEnablesContinueOnlyWithARowSelected) {
  ThreeDrives();
  Choose([&] {
    view.SelectRow(-1);
    window.DriveListClick();
    EXPECT_FALSE(view.continueEnabled);
    window.btContinueClick();  // cannot fire disabled; does nothing anyway
    EXPECT_TRUE(view.open);
    view.SelectRow(0);
    window.DriveListClick();
    EXPECT_TRUE(view.continueEnabled);
    view.Close();
  });
}

TEST_F(ChooseWindow, EscapeOrClosingWithoutAChoiceEndsTheProgram) {
  ThreeDrives();
  EXPECT_FALSE(Choose([&] {
    window.DriveListKeyDown(13);  // other keys are not handled here
    EXPECT_TRUE(view.open);
    window.DriveListKeyDown(kVirtualKeyEscape);
  }));
  EXPECT_FALSE(view.open);
  EXPECT_TRUE(d.application.Terminated());
  EXPECT_EQ(t.drive.SelectedDevice, -1);

  test::FakeDesktop other;
  FakeChooseView otherView;
  TFmChoose closedWindow(t.program, other.desktop, otherView);
  otherView.window = &closedWindow;
  otherView.whileShown = [&] { otherView.Close(); };
  EXPECT_FALSE(ChooseDevice(t.drive, closedWindow));
  EXPECT_TRUE(other.application.Terminated());
}

TEST_F(ChooseWindow, AnEmptyCatalogueLeavesContinueDisabled) {
  EXPECT_FALSE(Choose([&] {
    EXPECT_TRUE(view.rows.empty());
    EXPECT_FALSE(view.continueEnabled);
    EXPECT_EQ(view.selected, -1);
    view.Close();
  }));
}

// Drives that would not open are told of below the list; when they are why
// the list is empty for want of rights, the window offers a start with them.
TEST_F(ChooseWindow, DrivesThatCouldNotBeOpenedAreToldOfAndMissingRightsOfferedAStartWithThem) {
  ThreeDrives();
  t.program.UnopenedDrives = {{4, ERROR_ACCESS_DENIED}};
  EXPECT_FALSE(Choose([&] { view.Close(); }));
  EXPECT_EQ(view.unopenedNote, u"1 drive could not be opened: Access is denied.");
  EXPECT_FALSE(view.administratorOffered);

  Catalogue({});
  t.program.UnopenedDrives = {{0, ERROR_ACCESS_DENIED}, {1, ERROR_ACCESS_DENIED}};
  EXPECT_FALSE(Choose([&] { view.Close(); }));
  EXPECT_EQ(view.unopenedNote,
            std::u16string(kNoRightsExplanation) + u"\n2 drives could not be opened: Access is denied.");
  EXPECT_TRUE(view.administratorOffered);

  t.program.UnopenedDrives.clear();
  EXPECT_FALSE(Choose([&] { view.Close(); }));
  EXPECT_EQ(view.unopenedNote, u"");
  EXPECT_FALSE(view.administratorOffered);
}

TEST_F(ChooseWindow, StartingAgainAsAdministratorPassesTheArgumentsAndEndsThisRun) {
  d.application.arguments = {u"/usr/bin/orvella", u"--debug"};
  EXPECT_FALSE(Choose([&] {
    d.shell.adminStartProblem = u"pkexec was not found.";
    window.btStartAsAdministratorClick();
    EXPECT_TRUE(view.open);  // the start failed: the window stays and says what is missing
    ASSERT_EQ(d.dialogs.boxes.size(), 1u);
    EXPECT_EQ(d.dialogs.boxes[0].text,
              u"The program could not be started again with administrator rights.\n\npkexec was not found.");
    EXPECT_EQ(d.application.terminateCalls, 0);
    d.shell.adminStartProblem.clear();
    window.btStartAsAdministratorClick();
  }));
  EXPECT_EQ(d.shell.adminStarts, (std::vector<std::vector<std::u16string>>{{u"--debug"}, {u"--debug"}}));
  EXPECT_FALSE(view.open);
  EXPECT_GE(d.application.terminateCalls, 1);
}

TEST_F(ChooseWindow, CreationGivesSystemFontExplorerListAndLinkColours) {
  d.fonts.installed = {u"Calibri"};
  window.FormCreate();
  EXPECT_EQ(view.font, (FontSpec{u"Calibri", 11, false, false, false}));
  EXPECT_EQ(view.theme, u"explorer");
  EXPECT_EQ(view.linkColours[ChooseLink::WebAddress], kLinkBlue);
  EXPECT_EQ(view.linkColours[ChooseLink::Copyright], kNoticeGrey);
  EXPECT_EQ(view.linkColours[ChooseLink::DiskManagement], kLinkBlue);
}

TEST_F(ChooseWindow, LinksOpenAndTheWebAddressTurnsRedWhileTheLeftButtonIsDown) {
  window.Label1MouseDown(MouseButton::Right);
  EXPECT_EQ(view.linkColours.count(ChooseLink::WebAddress), 0u);
  window.Label1MouseDown(MouseButton::Left);
  EXPECT_EQ(view.linkColours[ChooseLink::WebAddress], kPressedRed);
  window.Label1MouseUp(MouseButton::Middle);
  EXPECT_EQ(view.linkColours[ChooseLink::WebAddress], kPressedRed);
  window.Label1MouseUp(MouseButton::Left);
  EXPECT_EQ(view.linkColours[ChooseLink::WebAddress], kLinkBlue);
  window.Label1Click();
  window.lbDiskManagementClick();
  EXPECT_EQ(d.shell.opened, std::vector<std::u16string>{kMakerWebAddress});
  EXPECT_EQ(d.shell.diskManagementStarts, 1);
  EXPECT_TRUE(d.dialogs.boxes.empty());  // it started: nothing to say
}

TEST_F(ChooseWindow, ADiskManagementLinkThatCannotOpenSaysWhatIsMissing) {
  d.shell.diskManagementProblem = u"No disk management program is installed.";
  window.lbDiskManagementClick();
  ASSERT_EQ(d.dialogs.boxes.size(), 1u);
  EXPECT_EQ(d.dialogs.boxes[0].text, u"No disk management program is installed.");
  EXPECT_EQ(d.dialogs.boxes[0].caption, u"Cannot open disk management");
  EXPECT_EQ(d.dialogs.boxes[0].icon, MessageIcon::Information);
}

}  // namespace
}  // namespace orvella
