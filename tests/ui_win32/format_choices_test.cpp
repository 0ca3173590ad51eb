// The choices of the "LOW-LEVEL FORMAT" page as native controls: the
// read-back and method lists, the record's fields, the note, the system
// disk's tick box, the records kept by themselves, and the page at its
// smallest size.
#include <filesystem>

#include "support/documents_folder.h"
#include "support/format_choices.h"
#include "ui_win32/window_fixture.h"

namespace orvella {
namespace {

namespace fs = std::filesystem;
using Control = win32ui::MainFrame::Control;
using test::OneHardDisk;

std::u16string ListText(HWND list, int entry) {
  const auto length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(entry), 0);
  std::u16string text(static_cast<std::size_t>(length), u'\0');
  SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(entry), reinterpret_cast<LPARAM>(text.data()));
  return text;
}

class FormatChoicesTest : public test::WindowFixture {
 protected:
  FormatChoicesTest() { shell.documentsFolder = documents.path.u16string(); }

  win32ui::MainFrame& Main() { return desktop->Main(); }
  HWND Handle(Control control) { return Main().ControlHandle(control); }
  // A choice made in a list as the user makes it: the list tells its
  // window of the change.
  void Choose(Control list, int entry) {
    SendMessageW(Handle(list), CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
    SendMessageW(Main().Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Handle(list)), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Handle(list)));
  }
  std::u16string Note() { return win32ui::WindowText(Handle(Control::ChoiceNote)); }

  test::DocumentsFolder documents{"orvella-win32-choices"};
};

TEST_F(FormatChoicesTest, TheReadBackOffersFullSampleAndOffAndFollowsQuickWipe) {
  Build(OneHardDisk());
  StartWithLastDrive();
  Main().ShowPage(1);
  HWND verify = Handle(Control::Verify);
  ASSERT_EQ(SendMessageW(verify, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(Main().VerifyChoice(), VerifyMethod::Sample);
  EXPECT_EQ(Note().rfind(u"Whole drive: every sector is overwritten with zeros.", 0), 0u);
  Click(Handle(Control::QuickWipe));
  EXPECT_EQ(Main().VerifyChoice(), VerifyMethod::Full);
  EXPECT_NE(Note().find(u"this is not an erase"), std::u16string::npos);
  Choose(Control::Verify, 2);
  dialogs.taskDialogAnswer = IDCANCEL;
  Click(Handle(Control::RunBenchmarks));
  ASSERT_EQ(dialogs.taskDialogs.size(), 1u);
  EXPECT_NE(dialogs.taskDialogs[0].content.find(u"Verification: none"), std::u16string::npos);
}

TEST_F(FormatChoicesTest, AMethodTheDriveDoesNotOfferNamesItsReasonAndIsTakenBack) {
  Build(OneHardDisk());
  StartWithLastDrive();
  HWND method = Handle(Control::Method);
  ASSERT_EQ(SendMessageW(method, CB_GETCOUNT, 0, 0), 7);
  EXPECT_EQ(ListText(method, 0).rfind(u"zeros (", 0), 0u);
  int unavailable = -1;
  for (int entry = 1; entry < 7 && unavailable < 0; ++entry)
    if (ListText(method, entry).find(u"(not available: ") != std::u16string::npos) unavailable = entry;
  ASSERT_GT(unavailable, 0);
  Choose(Control::Method, unavailable);
  EXPECT_EQ(Main().MethodChoice(), EraseMethod::Zeros);
  EXPECT_NE(Note().find(u" is not available on this drive: "), std::u16string::npos);
}

TEST_F(FormatChoicesTest, EachRunKeepsItsRecordAndTheFieldsGoIntoIt) {
  Build(OneHardDisk());
  StartWithLastDrive();
  Main().ShowPage(1);
  SetWindowTextW(Handle(Control::Operator), L"Ada Lovelace");
  SetWindowTextW(Handle(Control::Organisation), L"Harbour Works");
  SetWindowTextW(Handle(Control::AssetTag), L"IT-004711");
  Click(Handle(Control::QuickWipe));
  dialogs.messageDialogAnswer = IDOK;
  Click(Handle(Control::RunBenchmarks));
  const std::vector<fs::path> records = documents.Kept(".json");
  ASSERT_EQ(records.size(), 1u);
  const Json record = test::RecordIn(records[0]);
  EXPECT_EQ(record["operator"], "Ada Lovelace");
  EXPECT_EQ(record["organisation"], "Harbour Works");
  EXPECT_EQ(record["asset"], "IT-004711");
  ASSERT_EQ(dialogs.messageDialogs.size(), 1u);
  EXPECT_NE(dialogs.messageDialogs[0].text.find(u"The erase record was kept in "), std::u16string::npos);
  EXPECT_EQ(shell.settings[u"operator"], u"Ada Lovelace");

  // Its certificate beside it, drawn here as on Linux.
  const std::vector<fs::path> certificates = documents.Kept(".pdf");
  ASSERT_EQ(certificates.size(), 1u);
  EXPECT_EQ(certificates[0].stem(), records[0].stem());
  std::ifstream pdf(certificates[0], std::ios::binary);
  std::string start(5, '\0');
  pdf.read(start.data(), 5);
  EXPECT_EQ(start, "%PDF-");
  EXPECT_NE(dialogs.messageDialogs[0].text.find(u", its certificate as "), std::u16string::npos)
      << TextToUtf8(dialogs.messageDialogs[0].text);
}

TEST_F(FormatChoicesTest, TheSystemDiskNeedsItsTickBeforeTheQuestionIsAsked) {
  Build(test::OneHardDiskHoldingTheSystem("C:", "C:\\"));
  StartWithLastDrive();
  Main().ShowPage(1);
  HWND tick = Handle(Control::SystemDisk);
  EXPECT_TRUE(IsWindowVisible(tick));
  EXPECT_EQ(win32ui::WindowText(tick).rfind(u"I understand that this is the disk of the running system", 0), 0u);
  Click(Handle(Control::RunBenchmarks));
  EXPECT_TRUE(dialogs.taskDialogs.empty());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  Click(tick);
  dialogs.taskDialogAnswer = IDCANCEL;
  Click(Handle(Control::RunBenchmarks));
  ASSERT_EQ(dialogs.taskDialogs.size(), 1u);
  EXPECT_NE(dialogs.taskDialogs[0].content.find(u"THIS IS THE DISK OF THE RUNNING SYSTEM"), std::u16string::npos);
}

// At the smallest size the window allows, every control of the page lies
// inside the page and none covers another.
TEST_F(FormatChoicesTest, AtItsSmallestSizeThePageShowsEveryControlWhole) {
  Build(OneHardDisk());
  StartWithLastDrive();
  Main().ShowPage(1);
  SetWindowPos(Main().Handle(), nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
  RECT client{};
  GetClientRect(Main().Handle(), &client);
  const auto placed = [&](Control control) {
    RECT box{};
    GetWindowRect(Handle(control), &box);
    MapWindowPoints(nullptr, Main().Handle(), reinterpret_cast<POINT*>(&box), 2);
    return box;
  };
  const std::vector<Control> controls{Control::QuickWipe, Control::Verify,   Control::Method,
                                      Control::Operator,  Control::Organisation, Control::AssetTag,
                                      Control::SaveReport, Control::RunBenchmarks, Control::Stop,
                                      Control::ChoiceNote};
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const RECT a = placed(controls[i]);
    EXPECT_GE(a.left, client.left) << i;
    EXPECT_LE(a.right, client.right) << i;
    EXPECT_LE(a.bottom, client.bottom) << i;
    EXPECT_LT(a.left, a.right) << i;
    for (std::size_t j = i + 1; j < controls.size(); ++j) {
      const RECT b = placed(controls[j]);
      RECT overlap{};
      EXPECT_FALSE(IntersectRect(&overlap, &a, &b)) << i << " covers " << j;
    }
  }
}

}  // namespace
}  // namespace orvella
