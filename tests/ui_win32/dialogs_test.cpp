// The Windows dialogs themselves: the real task dialog of common
// controls 6, answered from a timer, and the helpers of the shell.
#include "ui_win32/window_fixture.h"

#include <shellapi.h>

#include <cstdlib>
#include <memory>

namespace orvella {
namespace {

// The dialog window of this thread that is showing now, if any.
HWND ShownDialog() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM result) {
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

TEST(Win32Dialogs, TheEraseQuestionHasCancelAsItsDefaultButton) {
  ASSERT_TRUE(test::WindowsCanBeCreated());
  win32ui::Win32Dialogs dialogs([](WindowId) { return nullptr; });
  ASSERT_TRUE(dialogs.TaskDialogAvailable());
  int defaultId = -1;
  test::Every(20, [&] {
    HWND dialog = ShownDialog();
    if (dialog == nullptr) return true;
    // The button Enter presses; a click on it answers.
    const LRESULT answer = SendMessageW(dialog, DM_GETDEFID, 0, 0);
    if (HIWORD(answer) == DC_HASDEFID) defaultId = LOWORD(answer);
    SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    return false;
  });
  TaskDialogRequest request;
  request.title = u"Orvella 4.30";
  request.instruction = u"Erase the drive?";
  request.content = u"Every byte of it will be zero.";
  request.icon = kTaskIconWarning;
  request.buttons = TDCBF_YES_BUTTON | TDCBF_CANCEL_BUTTON;
  request.defaultButton = IDCANCEL;
  EXPECT_EQ(dialogs.TaskDialog(request), IDCANCEL);
  EXPECT_EQ(defaultId, IDCANCEL);
}

TEST(Win32Dialogs, AMessageDialogShowsItsOwnCaptionsAndAnswersWithTheirResults) {
  ASSERT_TRUE(test::WindowsCanBeCreated());
  win32ui::Win32Dialogs dialogs([](WindowId) { return nullptr; });
  std::u16string pressedCaption;
  test::Every(20, [&] {
    HWND dialog = ShownDialog();
    if (dialog == nullptr) return true;
    HWND save = GetDlgItem(dialog, 100);
    pressedCaption = win32ui::WindowText(save);
    SendMessageW(save, BM_CLICK, 0, 0);
    return false;
  });
  MessageDialogRequest request;
  request.caption = u"Erase finished";
  request.text = u"The drive now holds zeros.";
  request.icon = MessageIcon::Information;
  request.buttons = {{u"OK", IDOK}, {u"&Save erase report\u2026", 100}};
  request.defaultResult = IDOK;
  EXPECT_EQ(dialogs.MessageDialog(request), 100);
  EXPECT_EQ(pressedCaption, u"&Save erase report\u2026");
}

// Answers the dialog that shows next with a "y" typed into it and, if that
// left it open, with Cancel; tells whether the key left it open.
void TypeYThenCancel(bool& openAfterKey) {
  auto typed = std::make_shared<bool>(false);
  test::Every(20, [&openAfterKey, typed] {
    HWND dialog = ShownDialog();
    if (dialog == nullptr) return true;
    if (!*typed) {
      *typed = true;
      HWND focus = GetFocus();
      PostMessageW(focus != nullptr ? focus : dialog, WM_CHAR, L'y', 0);
      return true;
    }
    openAfterKey = true;
    SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    return false;
  });
}

// The erase question's button names the act and has no accelerator: "y"
// presses nothing where "&Yes" would erase.
TEST(Win32Dialogs, ANamedButtonHasNoKeyOfItsOwn) {
  ASSERT_TRUE(test::WindowsCanBeCreated());
  win32ui::Win32Dialogs dialogs([](WindowId) { return nullptr; });
  TaskDialogRequest request;
  request.title = u"Warning";
  request.instruction = u"Erase the drive?";
  request.icon = kTaskIconWarning;
  request.buttons = TDCBF_YES_BUTTON | TDCBF_CANCEL_BUTTON;
  request.defaultButton = IDCANCEL;
  bool openAfterKey = false;
  TypeYThenCancel(openAfterKey);
  EXPECT_EQ(dialogs.TaskDialog(request), IDYES);  // the key works where there is an accelerator
  EXPECT_FALSE(openAfterKey);

  request.buttons = TDCBF_CANCEL_BUTTON;
  request.customButtons = {{u"Erase drive 3", IDYES}};
  TypeYThenCancel(openAfterKey);
  EXPECT_EQ(dialogs.TaskDialog(request), IDCANCEL);
  EXPECT_TRUE(openAfterKey);
}

// A top-level window for dialogs to belong to, away from the screen's centre.
class OwnerWindow {
 public:
  OwnerWindow()
      : handle_(CreateWindowExW(0, L"STATIC", L"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 30, 700, 500, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr)) {}
  ~OwnerWindow() { DestroyWindow(handle_); }
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;
  HWND Handle() const { return handle_; }

 private:
  HWND handle_;
};

struct Placement {
  bool seen = false;
  HWND owner = nullptr;
  bool ownerEnabled = true;
  POINT centre{};
};

POINT CentreOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Notes where the dialog that shows next stands and whom it belongs to,
// then presses its button `id`.
void NotePlacementThenPress(Placement& placement, int id) {
  test::Every(20, [&placement, id] {
    HWND dialog = ShownDialog();
    if (dialog == nullptr) return true;
    placement = {true, GetWindow(dialog, GW_OWNER), IsWindowEnabled(GetWindow(dialog, GW_OWNER)) != FALSE,
                 CentreOf(dialog)};
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    return false;
  });
}

// Every dialog belongs to the window in front: centred on it, and the
// window disabled while it is open, so that no second question can be
// opened behind it.
TEST(Win32Dialogs, DialogsAreOwnedByTheirWindowCentredOnItAndModal) {
  ASSERT_TRUE(test::WindowsCanBeCreated());
  const OwnerWindow owner;
  ASSERT_NE(owner.Handle(), nullptr);
  win32ui::Win32Dialogs dialogs([&owner](WindowId) { return owner.Handle(); });
  const POINT middle = CentreOf(owner.Handle());
  const auto onMiddle = [&middle](POINT p) { return std::abs(p.x - middle.x) <= 8 && std::abs(p.y - middle.y) <= 8; };

  Placement ending;
  NotePlacementThenPress(ending, IDOK);
  MessageDialogRequest request;
  request.owner = WindowId::Main;
  request.caption = u"Erase stopped";
  request.text = u"The erase was cancelled.";
  request.icon = MessageIcon::Warning;
  request.buttons = {{u"OK", IDOK}, {u"Save erase report\u2026", 100}};
  request.defaultResult = IDOK;
  EXPECT_EQ(dialogs.MessageDialog(request), IDOK);
  ASSERT_TRUE(ending.seen);
  EXPECT_EQ(ending.owner, owner.Handle());
  EXPECT_FALSE(ending.ownerEnabled);
  EXPECT_TRUE(onMiddle(ending.centre)) << ending.centre.x << "," << ending.centre.y;

  Placement box;
  NotePlacementThenPress(box, IDOK);
  dialogs.MessageBox(u"The erase record was saved.", u"Orvella 4.30", MessageIcon::Information);
  ASSERT_TRUE(box.seen);
  EXPECT_EQ(box.owner, owner.Handle());
  EXPECT_FALSE(box.ownerEnabled);
  EXPECT_TRUE(onMiddle(box.centre)) << box.centre.x << "," << box.centre.y;
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));  // given back once the box has closed
}

TEST(Win32Dialogs, MessageBoxButtonsStandForTheirSetsOfResults) {
  EXPECT_EQ(win32ui::MessageBoxButtonsOf({{u"OK", IDOK}}), static_cast<unsigned>(MB_OK));
  EXPECT_EQ(win32ui::MessageBoxButtonsOf({{u"Cancel", IDCANCEL}, {u"&Yes", IDYES}, {u"&No", IDNO}}),
            static_cast<unsigned>(MB_YESNOCANCEL));
  EXPECT_EQ(win32ui::MessageBoxButtonsOf({{u"&Retry", IDRETRY}, {u"Cancel", IDCANCEL}}),
            static_cast<unsigned>(MB_RETRYCANCEL));
  EXPECT_EQ(win32ui::MessageBoxButtonsOf({{u"OK", IDOK}, {u"Save", 100}}), 0u);
  EXPECT_EQ(win32ui::MessageBoxButtonsOf({{u"&Yes", IDYES}}), 0u);
}

TEST(Win32Shell, ArgumentsAreQuotedAsTheCommandLineIsSplit) {
  EXPECT_EQ(win32ui::QuotedArgument(u"--debug"), u"--debug");
  EXPECT_EQ(win32ui::QuotedArgument(u""), u"\"\"");
  EXPECT_EQ(win32ui::QuotedArgument(u"C:\\My Drives\\a.json"), u"\"C:\\My Drives\\a.json\"");
  EXPECT_EQ(win32ui::QuotedArgument(u"say \"hi\""), u"\"say \\\"hi\\\"\"");
  EXPECT_EQ(win32ui::QuotedArgument(u"ends in \\"), u"\"ends in \\\\\"");
  // What CommandLineToArgvW reads back is the argument itself.
  const std::u16string line = u"program.exe " + win32ui::QuotedArgument(u"a \\\"b\\ c\\");
  int count = 0;
  wchar_t** words = CommandLineToArgvW(win32ui::Wide(line), &count);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(win32ui::FromWide(words[1]), u"a \\\"b\\ c\\");
  LocalFree(words);
}

TEST(Win32Locale, DatesTimesAndTheDecimalSeparatorComeFromTheUserLocale) {
  win32ui::Win32Locale locale;
  const LocalDateTime time{2026, 12, 8, 19, 5, 7, 0};
  EXPECT_NE(locale.ShortDate(time).find(u"2026"), std::u16string::npos);
  EXPECT_NE(locale.LongTime(time).find(u"05"), std::u16string::npos);
  const char16_t separator = locale.DecimalSeparator();
  EXPECT_TRUE(separator == u'.' || separator == u',');
}

}  // namespace
}  // namespace orvella
