#include "app/vista_funcs.h"

#include <array>

#include "core/program.h"
#include "core/text.h"

namespace orvella {
namespace {

constexpr std::size_t kTaskDialogTextLimit = 1024;
constexpr char16_t kVistaFontName[] = u"Calibri";

// The task dialog takes texts of at most 1024 characters; longer ones are cut.
std::u16string TaskText(const std::u16string& text) { return text.substr(0, kTaskDialogTextLimit); }

int ResultOfPressedButton(int pressed) {
  switch (pressed) {
    case 0:
      return 0;  // the call failed without a pressed button: treated as "no"
    case IDOK:
    case IDCANCEL:
    case IDRETRY:
    case IDYES:
    case IDNO:
      return pressed;
    case IDCLOSE:
      return IDABORT;
    default:
      return IDOK;
  }
}

int AskWithTaskDialog(Dialogs& dialogs, TaskDialogRequest request) {
  if (!dialogs.TaskDialogAvailable()) return 0;
  request.title = TaskText(request.title);
  request.instruction = TaskText(request.instruction);
  request.content = TaskText(request.content);
  return ResultOfPressedButton(dialogs.TaskDialog(request));
}

struct FallbackType {
  MessageIcon icon;
  const char16_t* caption;  // nullptr: the application title
};

FallbackType FallbackTypeOf(int icon) {
  switch (icon) {
    case kTaskIconInformation:
      return {MessageIcon::Information, u"Information"};
    case kTaskIconWarning:
      return {MessageIcon::Warning, u"Warning"};
    case kTaskIconError:
      return {MessageIcon::Error, u"Error"};
    case kTaskIconQuestion:
      return {MessageIcon::Confirmation, u"Confirm"};
    default:
      return {MessageIcon::None, nullptr};
  }
}

std::vector<DialogButton> FallbackButtons(int flags) {
  struct Mapping {
    int flag;
    DialogButton button;
  };
  static const std::array<Mapping, 6> kMappings{{
      {TDCBF_OK_BUTTON, {u"OK", IDOK}},
      {TDCBF_YES_BUTTON, {u"&Yes", IDYES}},
      {TDCBF_NO_BUTTON, {u"&No", IDNO}},
      {TDCBF_CANCEL_BUTTON, {u"Cancel", IDCANCEL}},
      {TDCBF_RETRY_BUTTON, {u"&Retry", IDRETRY}},
      {TDCBF_CLOSE_BUTTON, {u"&Abort", IDABORT}},
  }};
  std::vector<DialogButton> buttons;
  for (const auto& mapping : kMappings) {
    if (flags & mapping.flag) buttons.push_back(mapping.button);
  }
  return buttons;
}

int AskWithMessageDialog(Dialogs& dialogs, const std::u16string& content, int icon, int buttons,
                         int defaultButton, const std::u16string& applicationTitle) {
  const FallbackType type = FallbackTypeOf(icon);
  MessageDialogRequest request;
  request.text = content;
  request.icon = type.icon;
  request.caption = type.caption != nullptr ? type.caption : applicationTitle;
  request.buttons = FallbackButtons(buttons);
  request.defaultResult = defaultButton;
  return dialogs.MessageDialog(request);
}

}  // namespace

MessageIcon IconOfTaskCode(int code) { return FallbackTypeOf(code).icon; }

bool IsVistaOrLater(Os& os) { return os.GetVersionExW().majorVersion >= 6; }

void SetSystemFont(SystemFonts& fonts, FontSpec& font) {
  if (const auto iconTitle = fonts.IconTitleFont()) {
    font = *iconTitle;
  } else {
    SetDefaultGuiFont(fonts, font);
  }
}

void SetDefaultGuiFont(SystemFonts& fonts, FontSpec& font) { font = fonts.DefaultGuiFont(); }

void SetVistaFont(Os& os, SystemFonts& fonts, FontSpec& font) {
  if (!IsVistaOrLater(os)) return;
  if (AsciiLower(font.name) == AsciiLower(kVistaFontName)) return;
  if (!fonts.IsFontInstalled(kVistaFontName)) return;
  font.pointSize += 2;
  font.name = kVistaFontName;
}

FontSpec WindowFont(Os& os, SystemFonts& fonts) {
  FontSpec font;
  SetSystemFont(fonts, font);
  SetVistaFont(os, fonts, font);
  return font;
}

void SetExplorerTheme(Os& os, ThemableWindow& window) {
  if (IsVistaOrLater(os)) window.SetWindowTheme(u"explorer");
}

int ShowTaskDialog(Os& os, Dialogs& dialogs, WindowId owner, const std::u16string& title,
                   const std::u16string& instruction, const std::u16string& content, int icon,
                   int buttons, int defaultButton) {
  if (IsVistaOrLater(os)) {
    return AskWithTaskDialog(dialogs, {owner, title, instruction, content, icon, buttons, defaultButton});
  }
  return AskWithMessageDialog(dialogs, content, icon, buttons, defaultButton, std::u16string(kProgramTitle));
}

int AskQuestion(Os& os, Dialogs& dialogs, const TaskDialogRequest& request) {
  if (IsVistaOrLater(os)) return AskWithTaskDialog(dialogs, request);
  MessageDialogRequest question;
  question.owner = request.owner;
  question.caption = request.title;
  question.text = request.instruction + u"\r\n\r\n" + request.content;
  question.icon = FallbackTypeOf(request.icon).icon;
  question.buttons = request.customButtons;
  for (const DialogButton& button : FallbackButtons(request.buttons)) question.buttons.push_back(button);
  question.defaultResult = request.defaultButton;
  return dialogs.MessageDialog(question);
}

}  // namespace orvella
