#include "ui/win32/desktop_services.h"

#include "core/text.h"
#include "ui/win32/gui.h"

#include <knownfolders.h>
#include <shellapi.h>
#include <shlobj.h>

namespace orvella::win32ui {
namespace {

SYSTEMTIME SystemTimeOf(const LocalDateTime& time) {
  SYSTEMTIME system{};
  system.wYear = static_cast<WORD>(time.year);
  system.wMonth = static_cast<WORD>(time.month);
  system.wDay = static_cast<WORD>(time.day);
  system.wHour = static_cast<WORD>(time.hour);
  system.wMinute = static_cast<WORD>(time.minute);
  system.wSecond = static_cast<WORD>(time.second);
  return system;
}

// A text of at most 255 characters from a formatting call; empty when the
// call fails.
template <typename Format>
std::u16string Formatted(Format format) {
  wchar_t text[256] = {};
  return format(text, 256) > 0 ? FromWide(text) : std::u16string();
}

}  // namespace

void Win32Application::Terminate() {
  terminated_ = true;
  if (loopRunning_) PostQuitMessage(0);
}

int Win32Application::RunMessageLoop() {
  if (terminated_ || mainWindow_.Handle() == nullptr) return 0;
  ShowWindow(mainWindow_.Handle(), SW_SHOW);
  SetForegroundWindow(mainWindow_.Handle());
  loopRunning_ = true;
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) mainWindow_.Deliver(message);
  loopRunning_ = false;
  return static_cast<int>(message.wParam);
}

void Win32Shell::OpenWebAddress(const std::u16string& address) {
  ShellExecuteW(nullptr, L"open", Wide(address), nullptr, nullptr, SW_SHOW);
}

// ShellExecuteW tells of a failure by a result of 32 or less.
std::u16string Win32Shell::StartDiskManagement() {
  const auto result = reinterpret_cast<std::intptr_t>(
      ShellExecuteW(nullptr, L"open", L"diskmgmt.msc", nullptr, nullptr, SW_SHOWNORMAL));
  if (result > 32) return {};
  return u"The Disk Management console (diskmgmt.msc) could not be opened (error " + IntToStr(result) +
         u"). It is part of Windows; on editions without it, the drives' partitions can be seen with "
         u"\"diskpart\" in a command prompt.";
}

std::u16string Win32Shell::DocumentsFolder() {
  PWSTR path = nullptr;
  std::u16string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path))) folder = FromWide(path);
  CoTaskMemFree(path);
  return folder;
}

namespace {
constexpr wchar_t kSettingsKey[] = L"Software\\Orvella";
}  // namespace

std::u16string Win32Shell::Setting(const std::u16string& name) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, Wide(name), RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
    return {};
  return FromWide(value);
}

void Win32Shell::KeepSetting(const std::u16string& name, const std::u16string& value) {
  const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, Wide(name), REG_SZ, Wide(value), bytes);
}

std::u16string Win32Shell::StartWithAdministratorRights(const std::vector<std::u16string>& arguments) {
  wchar_t program[MAX_PATH * 4] = {};
  if (GetModuleFileNameW(nullptr, program, MAX_PATH * 4) == 0)
    return u"The program's own path could not be read (error " + IntToStr(GetLastError()) + u").";
  std::u16string parameters;
  for (const std::u16string& argument : arguments) {
    if (!parameters.empty()) parameters += u' ';
    parameters += QuotedArgument(argument);
  }
  SHELLEXECUTEINFOW start{};
  start.cbSize = sizeof start;
  start.lpVerb = L"runas";
  start.lpFile = program;
  start.lpParameters = Wide(parameters);
  start.nShow = SW_SHOWNORMAL;
  if (ShellExecuteExW(&start) != FALSE) return {};
  const DWORD error = GetLastError();
  if (error == ERROR_CANCELLED) return u"The request for administrator rights was declined.";
  return u"Windows could not start the program with administrator rights (error " + IntToStr(error) + u").";
}

std::u16string Win32Locale::ShortDate(const LocalDateTime& time) {
  const SYSTEMTIME system = SystemTimeOf(time);
  return Formatted([&system](wchar_t* text, int size) {
    return GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &system, nullptr, text, size, nullptr);
  });
}

std::u16string Win32Locale::LongTime(const LocalDateTime& time) {
  const SYSTEMTIME system = SystemTimeOf(time);
  return Formatted([&system](wchar_t* text, int size) {
    return GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &system, nullptr, text, size);
  });
}

char16_t Win32Locale::DecimalSeparator() {
  const std::u16string separator = Formatted([](wchar_t* text, int size) {
    return GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, text, size);
  });
  return separator.empty() ? u'.' : separator[0];
}

void Win32Halt::ShowErrorMessage(const std::u16string& text, const std::u16string& caption) {
  MessageBoxW(nullptr, Wide(text), Wide(caption), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void Win32Halt::Terminate(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

std::vector<std::u16string> ProcessArguments() {
  int count = 0;
  wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::u16string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(FromWide(words[i]));
  LocalFree(words);
  return arguments;
}

// Backslashes count only before a quote: there they are doubled, and the
// quote escaped.
std::u16string QuotedArgument(const std::u16string& argument) {
  if (!argument.empty() && argument.find_first_of(u" \t\"") == std::u16string::npos) return argument;
  std::u16string quoted = u"\"";
  std::size_t backslashes = 0;
  for (char16_t c : argument) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, u'\\');
  return quoted + u"\"";
}

}  // namespace orvella::win32ui
