#include "app/vista_funcs.h"

#include <gtest/gtest.h>

#include "support/desktop_fakes.h"
#include "support/test_program.h"

namespace orvella {
namespace {

using test::FakeDialogs;
using test::FakeFonts;

OsVersionInfo Windows(std::uint32_t major, std::uint32_t minor) {
  return {true, major, minor, 2600, VER_PLATFORM_WIN32_NT, u""};
}

struct RecordingTheme final : ThemableWindow {
  void SetWindowTheme(const std::u16string& subAppName) override { themes.push_back(subAppName); }
  std::vector<std::u16string> themes;
};

class VistaFuncs : public ::testing::Test {
 protected:
  void RunOn(std::uint32_t major, std::uint32_t minor) { t.os.version_ = Windows(major, minor); }
  int AskToFormat(int icon = kTaskIconWarning, int buttons = TDCBF_YES_BUTTON | TDCBF_CANCEL_BUTTON) {
    return ShowTaskDialog(t.os, dialogs, WindowId::Main, u"Warning", u"All data will be lost", u"Sure?", icon,
                          buttons);
  }
  test::TestProgram t;
  FakeDialogs dialogs;
  FakeFonts fonts;
};

TEST_F(VistaFuncs, VistaIsMajorVersionSixOrLaterAskedAfreshEachTime) {
  RunOn(5, 2);
  EXPECT_FALSE(IsVistaOrLater(t.os));
  RunOn(6, 0);
  EXPECT_TRUE(IsVistaOrLater(t.os));
  RunOn(10, 0);
  EXPECT_TRUE(IsVistaOrLater(t.os));
}

TEST_F(VistaFuncs, SystemFontIsTheIconTitleFontElseTheDefaultGuiFont) {
  FontSpec font{u"Tahoma", 9, true, false, false};
  SetSystemFont(fonts, font);
  EXPECT_EQ(font, *fonts.iconTitle);
  fonts.iconTitle.reset();
  SetSystemFont(fonts, font);
  EXPECT_EQ(font, fonts.defaultGui);
}

TEST_F(VistaFuncs, VistaFontIsCalibriTwoPointsLargerOnlyWhereInstalled) {
  fonts.installed = {u"Calibri"};
  RunOn(5, 1);  // XP with Calibri installed: untouched
  FontSpec font{u"Tahoma", 8, true, false, false};
  SetVistaFont(t.os, fonts, font);
  EXPECT_EQ(font, (FontSpec{u"Tahoma", 8, true, false, false}));

  RunOn(6, 1);
  SetVistaFont(t.os, fonts, font);
  EXPECT_EQ(font, (FontSpec{u"Calibri", 10, true, false, false}));  // style kept

  fonts.installed.clear();
  FontSpec other{u"Tahoma", 8, false, false, false};
  SetVistaFont(t.os, fonts, other);
  EXPECT_EQ(other.name, u"Tahoma");
  EXPECT_EQ(other.pointSize, 8);
}

TEST_F(VistaFuncs, AFontAlreadyNamedCalibriInAnyCaseIsLeftAlone) {
  fonts.installed = {u"Calibri"};
  FontSpec font{u"calibri", 11, false, false, false};
  SetVistaFont(t.os, fonts, font);
  EXPECT_EQ(font, (FontSpec{u"calibri", 11, false, false, false}));
}

TEST_F(VistaFuncs, WindowFontIsSystemFontThenVistaFont) {
  fonts.installed = {u"Calibri"};
  EXPECT_EQ(WindowFont(t.os, fonts), (FontSpec{u"Calibri", 11, false, false, false}));
  RunOn(5, 1);
  EXPECT_EQ(WindowFont(t.os, fonts), *fonts.iconTitle);
}

TEST_F(VistaFuncs, ExplorerThemeOnlyOnVistaAndLater) {
  RecordingTheme list;
  RunOn(5, 1);
  SetExplorerTheme(t.os, list);
  EXPECT_TRUE(list.themes.empty());
  RunOn(6, 0);
  SetExplorerTheme(t.os, list);
  EXPECT_EQ(list.themes, std::vector<std::u16string>{u"explorer"});
}

TEST_F(VistaFuncs, TaskDialogGetsTheRequestUnchangedAndMapsThePressedButton) {
  dialogs.taskDialogAnswer = IDYES;
  EXPECT_EQ(AskToFormat(), 6);
  ASSERT_EQ(dialogs.taskDialogs.size(), 1u);
  const TaskDialogRequest& shown = dialogs.taskDialogs[0];
  EXPECT_EQ(shown.owner, WindowId::Main);
  EXPECT_EQ(shown.title, u"Warning");
  EXPECT_EQ(shown.instruction, u"All data will be lost");
  EXPECT_EQ(shown.content, u"Sure?");
  EXPECT_EQ(shown.icon, 84);
  EXPECT_EQ(shown.buttons, 10);
  EXPECT_TRUE(dialogs.messageDialogs.empty());

  const std::vector<std::pair<int, int>> pressedToResult{
      {IDOK, 1}, {IDCANCEL, 2}, {IDRETRY, 4}, {IDYES, 6}, {IDNO, 7}, {IDCLOSE, 3}, {5, 1}, {0, 0}};
  for (const auto& [pressed, result] : pressedToResult) {
    dialogs.taskDialogAnswer = pressed;
    EXPECT_EQ(AskToFormat(), result) << "pressed " << pressed;
  }
}

TEST_F(VistaFuncs, WithoutTaskDialogsOnVistaNothingIsShownAndTheResultIsZero) {
  dialogs.taskDialogAvailable = false;
  EXPECT_EQ(AskToFormat(), 0);
  EXPECT_TRUE(dialogs.taskDialogs.empty());
  EXPECT_TRUE(dialogs.messageDialogs.empty());
}

TEST_F(VistaFuncs, TaskDialogTextsAreCutAt1024Characters) {
  const std::u16string longText(1500, u'x');
  ShowTaskDialog(t.os, dialogs, WindowId::Main, longText, longText, longText, kTaskIconWarning, TDCBF_OK_BUTTON);
  EXPECT_EQ(dialogs.taskDialogs.at(0).title.size(), 1024u);
  EXPECT_EQ(dialogs.taskDialogs.at(0).instruction.size(), 1024u);
  EXPECT_EQ(dialogs.taskDialogs.at(0).content.size(), 1024u);
}

TEST_F(VistaFuncs, BeforeVistaTheMessageDialogShowsContentWithTypeAndButtonCaptions) {
  RunOn(5, 1);
  dialogs.messageDialogAnswer = IDCANCEL;
  EXPECT_EQ(AskToFormat(), 2);
  ASSERT_EQ(dialogs.messageDialogs.size(), 1u);
  const MessageDialogRequest& shown = dialogs.messageDialogs[0];
  EXPECT_EQ(shown.text, u"Sure?");
  EXPECT_EQ(shown.icon, MessageIcon::Warning);
  EXPECT_EQ(shown.caption, u"Warning");
  EXPECT_EQ(shown.buttons, (std::vector<DialogButton>{{u"&Yes", 6}, {u"Cancel", 2}}));
  EXPECT_TRUE(dialogs.taskDialogs.empty());
}

TEST_F(VistaFuncs, FallbackTypesAndButtonsFollowTheTables) {
  RunOn(5, 1);
  AskToFormat(kTaskIconInformation, 63);
  AskToFormat(kTaskIconError, TDCBF_CLOSE_BUTTON);
  AskToFormat(kTaskIconQuestion, TDCBF_OK_BUTTON);
  AskToFormat(7, TDCBF_OK_BUTTON);
  const auto& shown = dialogs.messageDialogs;
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].caption, u"Information");
  EXPECT_EQ(shown[0].icon, MessageIcon::Information);
  EXPECT_EQ(shown[0].buttons, (std::vector<DialogButton>{{u"OK", 1}, {u"&Yes", 6}, {u"&No", 7},
                                                          {u"Cancel", 2}, {u"&Retry", 4}, {u"&Abort", 3}}));
  EXPECT_EQ(shown[1].caption, u"Error");
  EXPECT_EQ(shown[1].buttons, (std::vector<DialogButton>{{u"&Abort", 3}}));
  EXPECT_EQ(shown[2].caption, u"Confirm");
  EXPECT_EQ(shown[2].icon, MessageIcon::Confirmation);
  EXPECT_EQ(shown[3].caption, u"Orvella 4.30");
  EXPECT_EQ(shown[3].icon, MessageIcon::None);
}

}  // namespace
}  // namespace orvella

namespace orvella {
namespace {

// A question with named buttons keeps them on every system: before Vista
// the message dialog shows them, with the instruction, owned by the same
// window and with the same default.
TEST_F(VistaFuncs, AQuestionKeepsItsNamedButtonsOnEverySystem) {
  const TaskDialogRequest request{WindowId::Main,     u"Warning",          u"Erase drive 3?", u"All data will be lost.",
                                  kTaskIconWarning,   TDCBF_CANCEL_BUTTON, IDCANCEL,          {{u"Erase drive 3", IDYES}}};
  RunOn(10, 0);
  dialogs.taskDialogAnswer = IDYES;
  EXPECT_EQ(AskQuestion(t.os, dialogs, request), IDYES);
  ASSERT_EQ(dialogs.taskDialogs.size(), 1u);
  EXPECT_EQ(dialogs.taskDialogs[0].customButtons, request.customButtons);

  RunOn(5, 1);
  dialogs.messageDialogAnswer = IDCANCEL;
  EXPECT_EQ(AskQuestion(t.os, dialogs, request), IDCANCEL);
  ASSERT_EQ(dialogs.messageDialogs.size(), 1u);
  const MessageDialogRequest& shown = dialogs.messageDialogs[0];
  EXPECT_EQ(shown.owner, WindowId::Main);
  EXPECT_EQ(shown.text, u"Erase drive 3?\r\n\r\nAll data will be lost.");
  EXPECT_EQ(shown.buttons, (std::vector<DialogButton>{{u"Erase drive 3", IDYES}, {u"Cancel", IDCANCEL}}));
  EXPECT_EQ(shown.defaultResult, IDCANCEL);
  EXPECT_EQ(shown.icon, MessageIcon::Warning);
}

}  // namespace
}  // namespace orvella
