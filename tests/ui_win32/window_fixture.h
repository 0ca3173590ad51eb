// The Windows desktop program on simulated drives with fake surroundings,
// driven through real window messages. Modal windows are answered from
// inside their loops by thread timers; dialogs are answered by FakeDialogs
// without blocking.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "core/system_error_text.h"
#include "core/text.h"
#include "platform/virtual/virtual_os.h"
#include "platform/windows/win32_os.h"
#include "support/desktop_fakes.h"
#include "support/fakes.h"
#include "ui/win32/desktop_program.h"
#include "ui/win32/gui.h"

namespace orvella::test {

// The actions of the running thread timers, by timer id: a TIMERPROC
// cannot carry its own state.
inline std::map<UINT_PTR, std::function<void()>>& TimerActions() {
  static std::map<UINT_PTR, std::function<void()>> actions;
  return actions;
}

inline void CALLBACK RunTimerAction(HWND, UINT, UINT_PTR id, DWORD) {
  const auto found = TimerActions().find(id);
  if (found == TimerActions().end()) return;
  const std::function<void()> action = found->second;  // the entry may go while it runs
  action();
}

// Calls `tick` every `milliseconds` from whichever message loop runs, until
// it returns false. A tick that lets messages run is not entered again.
inline void Every(unsigned milliseconds, std::function<bool()> tick) {
  const UINT_PTR id = SetTimer(nullptr, 0, milliseconds, RunTimerAction);
  TimerActions()[id] = [id, tick = std::move(tick), busy = std::make_shared<bool>(false)] {
    if (*busy) return;
    *busy = true;
    const bool again = tick();
    *busy = false;
    if (again) return;
    KillTimer(nullptr, id);
    TimerActions().erase(id);
  };
}

inline std::u16string ListCell(HWND list, int row, int column) {
  wchar_t text[512] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 512;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return win32ui::FromWide(text);
}

// Why the system refused a window, from the error code it left.
inline std::string WindowRefused(std::uint32_t error) {
  if (error == ERROR_SUCCESS) {
    return "the system gave no error code (under Wine: its desktop process has no display driver; "
           "it started without a DISPLAY)";
  }
  Win32Os os;
  return "error " + std::to_string(error) + ": " + TextToUtf8(SystemErrorMessage(os, error));
}

// Whether this process can have windows at all: a plain hidden top-level
// window, made and destroyed again.
inline ::testing::AssertionResult WindowsCanBeCreated() {
  SetLastError(ERROR_SUCCESS);
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (probe == nullptr) {
    return ::testing::AssertionFailure() << "no window can be created: " << WindowRefused(GetLastError());
  }
  DestroyWindow(probe);
  return ::testing::AssertionSuccess();
}

// Passes when `window` exists; says why it was not created otherwise. The
// code a refusal leaves may come from a step on the way, so whether any
// window can be had is told beside it.
inline ::testing::AssertionResult Created(const char* name, const win32ui::TopWindow& window) {
  if (window.Handle() != nullptr) return ::testing::AssertionSuccess();
  ::testing::AssertionResult failure = ::testing::AssertionFailure();
  failure << "The " << name << " window was not created: " << WindowRefused(window.CreationError());
  const ::testing::AssertionResult any = WindowsCanBeCreated();
  if (!any) failure << "; " << any.message();
  return failure;
}

class WindowFixture : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const auto& [id, action] : TimerActions()) KillTimer(nullptr, id);
    TimerActions().clear();
    desktop.reset();
    // A quit request or a message of a window now gone must not reach the
    // next test's loops.
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  void Build(VirtualMachine machine, std::vector<std::u16string> extraArguments = {}) {
    os = std::make_unique<VirtualOs>(std::move(machine), [this](std::int64_t ms) { clock.Advance(ms); });
    std::vector<std::u16string> arguments{u"C:\\Program Files\\Orvella\\orvella.exe"};
    for (auto& argument : extraArguments) arguments.push_back(std::move(argument));
    desktop = std::make_unique<win32ui::DesktopProgram>(*os, clock, locale, halt, std::move(arguments), &dialogs,
                                                        &shell);
    EXPECT_TRUE(Created("selection", desktop->Choose()));
    EXPECT_TRUE(Created("main", desktop->Main()));
    EXPECT_TRUE(Created("debug", desktop->Debug()));
  }

  // Runs `action` from inside the modal loop of `window` once it shows. A
  // window the action leaves open is closed, so that a failed expectation
  // cannot hang the test.
  void WhenModal(win32ui::TopWindow& window, std::function<void()> action) {
    Every(10, [&window, action = std::move(action)] {
      HWND handle = window.Handle();
      if (!IsWindowVisible(handle) || !IsWindowEnabled(handle)) return true;
      action();
      if (IsWindowVisible(handle)) SendMessageW(handle, WM_CLOSE, 0, 0);
      return false;
    });
  }

  // Starts the program with `user` acting in the selection window; shows
  // the main window when the program goes on.
  bool StartUp(std::function<void()> user) {
    WhenModal(desktop->Choose(), std::move(user));
    const bool goesOn = desktop->Start();
    if (goesOn) ShowWindow(desktop->Main().Handle(), SW_SHOW);
    return goesOn;
  }

  // Starts the program and chooses the preselected drive with Enter.
  void StartWithLastDrive() {
    ASSERT_TRUE(StartUp([this] { PressKey(desktop->Choose(), DriveList(), VK_RETURN); }));
  }

  // A key pressed on `control`, handled by the window's keyboard handling
  // as the message loop would handle it.
  static void PressKey(win32ui::TopWindow& window, HWND control, WPARAM key) {
    PostMessageW(control, WM_KEYDOWN, key, 1);
    PostMessageW(control, WM_KEYUP, key, 0xC0000001);
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) window.Deliver(message);
  }

  static void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

  HWND DriveList() { return desktop->Choose().DriveList(); }

  void SelectRow(int row) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(DriveList(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
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
  std::unique_ptr<win32ui::DesktopProgram> desktop;
};

}  // namespace orvella::test
