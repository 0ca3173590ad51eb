#include <string>

#include "ui_win32/window_fixture.h"

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

std::u16string ColumnCaption(HWND list, int column) {
  wchar_t text[64] = {};
  LVCOLUMNW info{};
  info.mask = LVCF_TEXT;
  info.pszText = text;
  info.cchTextMax = 64;
  SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
  return win32ui::FromWide(text);
}

class ChooseWindowTest : public test::WindowFixture {
 protected:
  HWND Continue() { return desktop->Choose().ContinueButton(); }
  int Selected() {
    return static_cast<int>(SendMessageW(DriveList(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  }
};

TEST_F(ChooseWindowTest, ThreeDrivesListInOrderWithTheLastSelectedAndEnterChoosesIt) {
  Build(Machine({Drive(0, 1000000, "Alpha"), Drive(1, 2000000, "Beta"), Drive(2, 3000000, "Gamma")}));
  bool checked = false;
  ASSERT_TRUE(StartUp([&] {
    HWND list = DriveList();
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(test::ListCell(list, 0, 2), u"Maker Alpha");
    EXPECT_EQ(test::ListCell(list, 1, 2), u"Maker Beta");
    EXPECT_EQ(test::ListCell(list, 2, 2), u"Maker Gamma");
    EXPECT_EQ(Selected(), 2);
    EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 2);
    EXPECT_EQ(GetFocus(), list);
    EXPECT_TRUE(IsWindowEnabled(Continue()));
    EXPECT_EQ(GetWindowLongW(Continue(), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(win32ui::WindowText(desktop->Choose().Handle()), u"Device Selection - Orvella 4.30");
    EXPECT_EQ(desktop->Choose().Status().Text(-1), u"Disks found: 3");
    checked = true;
    PressKey(desktop->Choose(), list, VK_RETURN);
  }));
  EXPECT_TRUE(checked);
  EXPECT_EQ(desktop->Drive().SelectedDevice, 3);
  EXPECT_FALSE(IsWindowVisible(desktop->Choose().Handle()));
  EXPECT_TRUE(IsWindowVisible(desktop->Main().Handle()));
}

TEST_F(ChooseWindowTest, ListHasTheDriveNumberTheCatalogueTheDevicePathTheStateAndTheExplorerLook) {
  Build(Machine({Drive(2, 976773168, "  Padded  ")}));
  ASSERT_TRUE(StartUp([&] {
    const char16_t* captions[] = {u"DRIVE",    u"BUS",         u"MODEL", u"FIRMWARE", u"SERIAL NUMBER",
                                  u"LBA", u"CAPACITY", u"DEVICE PATH", u"STATE"};
    for (int column = 0; column < 9; ++column) EXPECT_EQ(ColumnCaption(DriveList(), column), captions[column]);
    EXPECT_EQ(SendMessageW(DriveList(), LVM_GETCOLUMNWIDTH, 1, 0), desktop->Choose().Px(78));
    EXPECT_EQ(SendMessageW(DriveList(), LVM_GETCOLUMNWIDTH, 5, 0), desktop->Choose().Px(117));
    EXPECT_EQ(test::ListCell(DriveList(), 0, 0), u"2");
    EXPECT_EQ(test::ListCell(DriveList(), 0, 5), u"976773168");
    EXPECT_EQ(test::ListCell(DriveList(), 0, 6), u"500.1 GB");
    EXPECT_EQ(test::ListCell(DriveList(), 0, 7), u"\\\\.\\PhysicalDrive2");
    EXPECT_EQ(test::ListCell(DriveList(), 0, 8), u"-");
    EXPECT_EQ(desktop->Choose().ListTheme().Theme(), u"explorer");
    const DWORD extended = static_cast<DWORD>(SendMessageW(DriveList(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_NE(extended & LVS_EX_FULLROWSELECT, 0u);
    EXPECT_NE(GetWindowLongW(DriveList(), GWL_STYLE) & LVS_SINGLESEL, 0);
    EXPECT_EQ(desktop->Choose().LinkColour(ChooseLink::WebAddress), kLinkBlue);
    EXPECT_EQ(desktop->Choose().LinkColour(ChooseLink::Copyright), kNoticeGrey);
    PressKey(desktop->Choose(), DriveList(), VK_RETURN);
  }));
}

// A drive too small to be chosen is marked and cannot be selected; the
// last drive that can be chosen is preselected.
TEST_F(ChooseWindowTest, ADriveBelow65535SectorsCannotBeSelectedWhileOneOf65535Can) {
  Build(Machine({Drive(0, 65535, "Exact"), Drive(1, 65534, "Small")}));
  int preselected = -2, afterSelectingSmall = -2;
  std::u16string state;
  ASSERT_TRUE(StartUp([&] {
    preselected = Selected();
    state = test::ListCell(DriveList(), 1, 8);
    SelectRow(1);
    afterSelectingSmall = Selected();
    SelectRow(0);
    Click(Continue());
  }));
  EXPECT_EQ(preselected, 0);
  EXPECT_EQ(state, u"too small");
  EXPECT_NE(afterSelectingSmall, 1);
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_EQ(desktop->Drive().SelectedDevice, 1);
}

TEST_F(ChooseWindowTest, EscapeInTheListEndsTheProgramWithoutOpeningADrive) {
  Build(Machine({Drive(0, 1000000)}));
  EXPECT_FALSE(StartUp([&] { PressKey(desktop->Choose(), DriveList(), VK_ESCAPE); }));
  EXPECT_TRUE(desktop->App().Terminated());
  EXPECT_TRUE(WriteOpens().empty());
}

TEST_F(ChooseWindowTest, EscapeOutsideTheListDoesNothing) {
  Build(Machine({Drive(0, 1000000)}));
  bool stayedOpen = false;
  ASSERT_TRUE(StartUp([&] {
    SetFocus(Continue());
    PressKey(desktop->Choose(), Continue(), VK_ESCAPE);
    stayedOpen = IsWindowVisible(desktop->Choose().Handle()) != FALSE;
    Click(Continue());
  }));
  EXPECT_TRUE(stayedOpen);
}

TEST_F(ChooseWindowTest, ClosingTheWindowWithoutAChoiceEndsTheProgram) {
  Build(Machine({Drive(0, 1000000)}));
  EXPECT_FALSE(StartUp([&] { SendMessageW(desktop->Choose().Handle(), WM_CLOSE, 0, 0); }));
  EXPECT_TRUE(WriteOpens().empty());
}

TEST_F(ChooseWindowTest, AnEmptyMachineLeavesContinueDisabled) {
  Build(Machine({}));
  bool disabled = false;
  EXPECT_FALSE(StartUp([&] { disabled = !IsWindowEnabled(Continue()); }));
  EXPECT_TRUE(disabled);
}
}  // namespace
}  // namespace orvella
