#include "ui/win32/win32_dialogs.h"

#include <algorithm>
#include <vector>

#include "ui/win32/gui.h"

namespace orvella::win32ui {
namespace {

using TaskDialogIndirectFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// comctl32 of common controls 6, kept loaded while a dialog is shown.
class TaskDialogLibrary {
 public:
  TaskDialogLibrary() : library_(LoadLibraryW(L"comctl32.dll")) {
    if (library_ != nullptr) {
      function_ = reinterpret_cast<TaskDialogIndirectFunction>(
          reinterpret_cast<void (*)()>(GetProcAddress(library_, "TaskDialogIndirect")));
    }
  }
  ~TaskDialogLibrary() {
    if (library_ != nullptr) FreeLibrary(library_);
  }
  TaskDialogLibrary(const TaskDialogLibrary&) = delete;
  TaskDialogLibrary& operator=(const TaskDialogLibrary&) = delete;

  TaskDialogIndirectFunction Function() const { return function_; }

 private:
  HMODULE library_;
  TaskDialogIndirectFunction function_ = nullptr;
};

UINT MessageBoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::None: return 0;
    case MessageIcon::Information: return MB_ICONINFORMATION;
    case MessageIcon::Warning: return MB_ICONWARNING;
    case MessageIcon::Error: return MB_ICONERROR;
    case MessageIcon::Confirmation: return MB_ICONQUESTION;
  }
  return 0;
}

// The task dialog's standard icons; the question mark is the system's.
void SetMainIcon(TASKDIALOGCONFIG& config, MessageIcon icon) {
  switch (icon) {
    case MessageIcon::None: break;
    case MessageIcon::Information: config.pszMainIcon = TD_INFORMATION_ICON; break;
    case MessageIcon::Warning: config.pszMainIcon = TD_WARNING_ICON; break;
    case MessageIcon::Error: config.pszMainIcon = TD_ERROR_ICON; break;
    case MessageIcon::Confirmation:
      config.dwFlags |= TDF_USE_HICON_MAIN;
      config.hMainIcon = LoadIconW(nullptr, IDI_QUESTION);
      break;
  }
}

// Shows the dialog; the pressed button, or 0 when it could not be shown.
int Show(const TaskDialogLibrary& library, const TASKDIALOGCONFIG& config) {
  int pressed = 0;
  if (library.Function() == nullptr || FAILED(library.Function()(&config, &pressed, nullptr, nullptr))) return 0;
  return pressed;
}

// Moves the next window the thread activates (the message box about to
// show) to the middle of `owner`; MessageBoxW itself centres on the screen.
class CentreNextWindowOn {
 public:
  explicit CentreNextWindowOn(HWND owner) {
    if (owner == nullptr) return;
    owner_ = owner;
    hook_ = SetWindowsHookExW(WH_CBT, &CentreNextWindowOn::Hook, nullptr, GetCurrentThreadId());
  }
  ~CentreNextWindowOn() { Unhook(); }
  CentreNextWindowOn(const CentreNextWindowOn&) = delete;
  CentreNextWindowOn& operator=(const CentreNextWindowOn&) = delete;

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && hook_ != nullptr) {
      Centre(reinterpret_cast<HWND>(wParam));
      Unhook();
      return 0;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static void Centre(HWND window) {
    RECT outer{};
    RECT box{};
    if (!GetWindowRect(owner_, &outer) || !GetWindowRect(window, &box)) return;
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    SetWindowPos(window, nullptr, (outer.left + outer.right - width) / 2, (outer.top + outer.bottom - height) / 2, 0,
                 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  static void Unhook() {
    if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
  }

  static inline thread_local HHOOK hook_ = nullptr;
  static inline thread_local HWND owner_ = nullptr;
};

// Owned by a window, a box is modal over it (the window disabled while it
// is open); without one, over all of the program's windows.
UINT Modality(HWND owner) { return owner != nullptr ? MB_APPLMODAL : MB_TASKMODAL; }

std::vector<TASKDIALOG_BUTTON> TaskButtons(const std::vector<DialogButton>& buttons) {
  std::vector<TASKDIALOG_BUTTON> converted;
  for (const DialogButton& button : buttons) converted.push_back({button.result, Wide(button.caption)});
  return converted;
}

bool HasResult(const std::vector<DialogButton>& buttons, int result) {
  return std::any_of(buttons.begin(), buttons.end(), [result](const DialogButton& b) { return b.result == result; });
}

}  // namespace

unsigned MessageBoxButtonsOf(const std::vector<DialogButton>& buttons) {
  struct Set {
    std::vector<int> results;
    unsigned flags;
  };
  static const std::vector<Set> kSets{{{IDOK}, MB_OK},
                                      {{IDOK, IDCANCEL}, MB_OKCANCEL},
                                      {{IDYES, IDNO}, MB_YESNO},
                                      {{IDYES, IDNO, IDCANCEL}, MB_YESNOCANCEL},
                                      {{IDRETRY, IDCANCEL}, MB_RETRYCANCEL}};
  for (const Set& set : kSets) {
    const bool same = set.results.size() == buttons.size() &&
                      std::all_of(set.results.begin(), set.results.end(),
                                  [&buttons](int result) { return HasResult(buttons, result); });
    if (same) return set.flags;
  }
  return 0;
}

// Owned by the window in front and centred on it.
void Win32Dialogs::MessageBox(const std::u16string& text, const std::u16string& caption, MessageIcon icon) {
  const HWND owner = ownerWindow_(WindowId::None);
  const CentreNextWindowOn centre(owner);
  MessageBoxW(owner, Wide(text), Wide(caption), MB_OK | Modality(owner) | MessageBoxIcon(icon));
}

bool Win32Dialogs::TaskDialogAvailable() { return TaskDialogLibrary().Function() != nullptr; }

int Win32Dialogs::TaskDialog(const TaskDialogRequest& request) {
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = ownerWindow_(request.owner);
  config.dwFlags = TDF_POSITION_RELATIVE_TO_WINDOW | TDF_ALLOW_DIALOG_CANCELLATION;
  config.pszWindowTitle = Wide(request.title);
  config.pszMainInstruction = Wide(request.instruction);
  config.pszContent = Wide(request.content);
  config.dwCommonButtons = static_cast<TASKDIALOG_COMMON_BUTTON_FLAGS>(request.buttons);
  // Named buttons without "&": no single key presses them.
  const std::vector<TASKDIALOG_BUTTON> named = TaskButtons(request.customButtons);
  config.pButtons = named.data();
  config.cButtons = static_cast<UINT>(named.size());
  config.nDefaultButton = request.defaultButton;
  SetMainIcon(config, IconOfTaskCode(request.icon));
  return Show(TaskDialogLibrary(), config);
}

// Centred on its owner, with the buttons' own captions; where there is no
// task dialog, a message box with the same set of buttons.
int Win32Dialogs::MessageDialog(const MessageDialogRequest& request) {
  const TaskDialogLibrary library;
  const HWND owner = ownerWindow_(request.owner);
  if (library.Function() == nullptr) {
    const unsigned buttons = MessageBoxButtonsOf(request.buttons);
    const CentreNextWindowOn centre(owner);
    const int answer = MessageBoxW(owner, Wide(request.text), Wide(request.caption),
                                   (buttons != 0 ? buttons : MB_OK) | Modality(owner) | MessageBoxIcon(request.icon));
    return buttons != 0 ? answer : request.defaultResult;
  }
  const std::vector<TASKDIALOG_BUTTON> buttons = TaskButtons(request.buttons);
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = owner;
  config.dwFlags = TDF_POSITION_RELATIVE_TO_WINDOW;
  config.pszWindowTitle = Wide(request.caption);
  config.pszContent = Wide(request.text);
  config.pButtons = buttons.data();
  config.cButtons = static_cast<UINT>(buttons.size());
  config.nDefaultButton = request.defaultResult;
  if (HasResult(request.buttons, IDCANCEL)) config.dwFlags |= TDF_ALLOW_DIALOG_CANCELLATION;
  SetMainIcon(config, request.icon);
  return Show(library, config);
}

}  // namespace orvella::win32ui
