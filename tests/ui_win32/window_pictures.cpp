// window-pictures DIR [--machine]
//
// Runs the Windows desktop program on the demo drives with its real dialogs
// and saves pictures (BMP) of the windows as the user meets them: the
// selection window, the main window's three pages after the S.M.A.R.T.
// report, the erase question, a run part way (then stopped) and the ending
// dialog. The user's part is played by a timer. For looking at the real
// windows (under Wine, run it with a display, e.g. xvfb-run); not a test.
// With --machine the program walks the machine's own drives through the
// Windows backend instead; the selection window is saved and left with
// Escape, so that no drive is opened.
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

#include "core/clock.h"
#include "core/text.h"
#include "platform/virtual/demo_drives.h"
#include "platform/virtual/virtual_os.h"
#include "platform/windows/win32_os.h"
#include "ui/win32/desktop_program.h"
#include "ui_win32/window_fixture.h"

namespace orvella::test {
namespace {

using Control = win32ui::MainFrame::Control;

// The window as the screen shows it, copied from the screen.
bool SavePicture(HWND window, const std::string& path) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  RECT frame{};
  GetWindowRect(window, &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files keep it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
  SelectObject(memory, old);
  const DWORD size = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
  // GDI leaves the fourth byte of each pixel as it happens to be (text
  // drawn with smoothing leaves 0 there), and image viewers read it as
  // transparency: every pixel is made opaque, or the text vanishes.
  GdiFlush();
  for (DWORD i = 3; i < size; i += 4) static_cast<unsigned char*>(bits)[i] = 0xFF;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + size;
  bool written = false;
  if (FILE* out = std::fopen(path.c_str(), "wb")) {
    written = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
              std::fwrite(bits, size, 1, out) == 1;
    written = std::fclose(out) == 0 && written;
  }
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  std::fprintf(written ? stdout : stderr, "%s %s\n", written ? "saved" : "could not save", path.c_str());
  return written;
}

// The dialog of common controls this thread shows now, if any.
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

void RealSleep(std::int64_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

// The machine's drives: the selection window as start-up left it, then
// Escape in the list.
int RunOnMachine(const std::string& folder) {
  Win32Os os;
  SystemClock clock;
  win32ui::Win32Locale locale;
  win32ui::Win32Halt halt;
  win32ui::DesktopProgram program(os, clock, locale, halt, {u"orvella.exe"});
  bool saved = false;
  Every(700, [&] {
    HWND choose = program.Choose().Handle();
    if (!IsWindowVisible(choose)) return true;
    saved = SavePicture(choose, folder + "/machine-selection.bmp");
    const auto rows = SendMessageW(program.Choose().DriveList(), LVM_GETITEMCOUNT, 0, 0);
    std::printf("rows %d; status: %s\n", static_cast<int>(rows), TextToUtf8(program.Choose().Status().Text(-1)).c_str());
    std::printf("note: %s\n", TextToUtf8(win32ui::WindowText(program.Choose().UnopenedNote())).c_str());
    PostMessageW(program.Choose().DriveList(), WM_KEYDOWN, VK_ESCAPE, 1);
    return false;
  });
  const int exitCode = program.Run();
  std::printf("ended with %d; terminated: %d\n", exitCode, program.App().Terminated() ? 1 : 0);
  return saved ? 0 : 1;
}

int Run(const std::string& folder) {
  VirtualOs os(DemoDrives(), RealSleep);
  SystemClock clock;
  win32ui::Win32Locale locale;
  win32ui::Win32Halt halt;
  win32ui::DesktopProgram program(os, clock, locale, halt, {u"orvella-demo.exe"});
  win32ui::MainFrame& main = program.Main();
  const auto picture = [&folder](HWND window, const char* name) { SavePicture(window, folder + "/" + name + ".bmp"); };

  // The user's steps, one per tick; a step that returns false waits for
  // the next tick.
  std::vector<std::function<bool()>> steps{
      [&] {
        if (!IsWindowVisible(program.Choose().Handle())) return false;
        picture(program.Choose().Handle(), "1-selection");
        // The first drive: the demo's last one is write-protected.
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(program.Choose().DriveList(), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
        SendMessageW(program.Choose().ContinueButton(), BM_CLICK, 0, 0);
        return true;
      },
      [&] {
        if (!IsWindowVisible(main.Handle())) return false;
        picture(main.Handle(), "2-details");
        main.ShowPage(2);
        SendMessageW(main.ControlHandle(Control::GetSmart), BM_CLICK, 0, 0);
        return true;
      },
      [&] {
        picture(main.Handle(), "3-smart");
        main.ShowPage(1);
        return true;
      },
      [&] {
        picture(main.Handle(), "4-format");
        PostMessageW(main.ControlHandle(Control::RunBenchmarks), BM_CLICK, 0, 0);
        return true;
      },
      [&] {
        HWND question = ShownDialog();
        if (question == nullptr) return false;
        picture(question, "5-question");
        SendMessageW(GetDlgItem(question, IDYES), BM_CLICK, 0, 0);
        return true;
      },
      [] { return true; },
      [&] {
        picture(main.Handle(), "6-run");
        // A close during the run asks first; confirmed, it stops the run.
        PostMessageW(main.Handle(), WM_CLOSE, 0, 0);
        return true;
      },
      [&] {
        HWND question = ShownDialog();
        if (question == nullptr) return false;
        picture(question, "6-close-question");
        SendMessageW(GetDlgItem(question, IDYES), BM_CLICK, 0, 0);
        return true;
      },
      [&] {
        HWND ending = ShownDialog();
        if (ending == nullptr) return false;
        picture(ending, "7-ending");
        SendMessageW(GetDlgItem(ending, IDOK), BM_CLICK, 0, 0);
        return true;
      },
      [&] {
        picture(main.Handle(), "8-stopped");
        SendMessageW(main.Handle(), WM_CLOSE, 0, 0);
        return true;
      },
  };
  std::size_t next = 0;
  Every(700, [&] {
    if (next < steps.size() && steps[next]()) ++next;
    return next < steps.size();
  });
  program.Run();
  return next == steps.size() ? 0 : 1;
}

}  // namespace
}  // namespace orvella::test

int main(int argc, char** argv) {
  const bool machine = argc == 3 && std::string(argv[2]) == "--machine";
  if (argc != 2 && !machine) {
    std::fprintf(stderr, "usage: window-pictures DIR [--machine]\n");
    return 2;
  }
  return machine ? orvella::test::RunOnMachine(argv[1]) : orvella::test::Run(argv[1]);
}
