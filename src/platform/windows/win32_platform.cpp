// The platform facts of the seam on Windows: the system's error texts, the
// version (from RtlGetVersion, because GetVersionExW answers with the
// version the manifest declares, not the one that runs), the 32-bit
// emulation question, the program path, the setup library, memory for
// unbuffered writes and the ANSI code page.
#include "platform/windows/win32_os.h"
// <windows.h> last, as the header rule of win32_os.h says.
#include "platform/windows/win32_api.h"

namespace orvella {
namespace {

// RtlGetVersion of ntdll, looked up by name: it is not in the import
// libraries of every tool chain.
using RtlGetVersionCall = LONG(WINAPI*)(OSVERSIONINFOW*);
using IsWow64ProcessCall = BOOL(WINAPI*)(HANDLE, BOOL*);

template <typename Call>
Call Lookup(const wchar_t* module, const char* name) {
  const HMODULE loaded = ::GetModuleHandleW(module);
  if (loaded == nullptr) return nullptr;
  return reinterpret_cast<Call>(reinterpret_cast<void*>(::GetProcAddress(loaded, name)));
}

OSVERSIONINFOW AskVersion() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (const auto rtlGetVersion = Lookup<RtlGetVersionCall>(L"ntdll.dll", "RtlGetVersion")) {
    if (rtlGetVersion(&info) == 0) return info;
  }
  info = OSVERSIONINFOW{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (::GetVersionExW(&info) == FALSE) info.dwOSVersionInfoSize = 0;
#pragma GCC diagnostic pop
  return info;
}

}  // namespace

std::u16string Win32Os::SystemErrorText(std::uint32_t code) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0 || text == nullptr) return {};
  std::u16string result = win32::Text(text, length);
  ::LocalFree(text);
  return result;
}

OsVersionInfo Win32Os::GetVersionExW() {
  const OSVERSIONINFOW info = AskVersion();
  OsVersionInfo answer;
  if (info.dwOSVersionInfoSize == 0) return answer;
  answer.ok = true;
  answer.majorVersion = info.dwMajorVersion;
  answer.minorVersion = info.dwMinorVersion;
  answer.buildNumber = info.dwBuildNumber;
  answer.platformId = info.dwPlatformId;
  answer.servicePack = win32::Text(info.szCSDVersion, ::wcsnlen(info.szCSDVersion, 128));
  return answer;
}

// A 32-bit build asks whether it runs under the emulation of 64-bit
// Windows. A 64-bit build runs on 64-bit Windows by being there: it still
// makes the call, so that a failing one is seen, but answers "64-bit" so
// that the platform line names the system's width.
Wow64Answer Win32Os::IsWow64Process() {
  const auto isWow64Process = Lookup<IsWow64ProcessCall>(L"kernel32", "IsWow64Process");
  if (isWow64Process == nullptr) return Wow64Answer::QueryMissing;
  BOOL emulated = FALSE;
  if (isWow64Process(::GetCurrentProcess(), &emulated) == FALSE) return Wow64Answer::QueryFailed;
  const bool wideSystem = sizeof(void*) == 8 || emulated != FALSE;
  return wideSystem ? Wow64Answer::Yes : Wow64Answer::No;
}

std::u16string Win32Os::ModuleFileName() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return win32::Text(path.data(), length);
    path.resize(path.size() * 2);  // cut short: ask again with room
  }
}

// The machine's DNS host name. Its maker, model and serial would come from
// the SMBIOS firmware table, which is not read yet: they stay empty, and the
// record says they were not readable.
HostIdentity Win32Os::QueryHostIdentity() {
  HostIdentity host;
  DWORD length = 0;
  ::GetComputerNameExW(ComputerNameDnsHostname, nullptr, &length);
  std::wstring name(length, L'\0');
  if (length > 0 && ::GetComputerNameExW(ComputerNameDnsHostname, name.data(), &length) != FALSE)
    host.name = win32::Text(name.data(), length);
  return host;
}

bool Win32Os::LoadSetupLibrary() {
  if (setupLibrary_ == nullptr) setupLibrary_ = ::LoadLibraryW(L"SetupApi.dll");
  return setupLibrary_ != nullptr;
}

void Win32Os::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

// VirtualAlloc gives whole pages, aligned as unbuffered device I/O needs.
void* Win32Os::AllocateAligned(std::size_t size) {
  return ::VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void Win32Os::FreeAligned(void* memory) {
  if (memory != nullptr) ::VirtualFree(memory, 0, MEM_RELEASE);
}

// Byte by byte, so that every byte gives one character even where the code
// page has two-byte characters; a byte that is no character on its own
// keeps its code.
std::u16string Win32Os::AnsiToText(const std::uint8_t* bytes, std::size_t count) {
  std::u16string text;
  text.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    wchar_t wide = 0;
    const char byte = static_cast<char>(bytes[i]);
    const bool converted = bytes[i] == 0 || ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &byte, 1, &wide, 1) == 1;
    text.push_back(converted ? static_cast<char16_t>(wide) : static_cast<char16_t>(bytes[i]));
  }
  return text;
}

}  // namespace orvella
