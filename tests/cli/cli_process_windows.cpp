// The runner of cli_process.h on Windows: CreateProcessW with the three
// standard streams on pipes, read by threads of their own so that neither
// pipe can fill up and stall the program.
#include "cli/cli_process.h"
#include "cli/terminal.h"

#include <windows.h>

#include <stdexcept>
#include <thread>

namespace orvella::test {
namespace {

// One argument as CommandLineToArgvW and the C runtime read it back.
std::wstring Quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote escaped.
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

std::wstring CommandLine(const std::vector<std::string>& args) {
  std::wstring line = Quoted(Wide(ORVELLA_CLI_PATH));
  for (const std::string& arg : args) line += L" " + Quoted(Wide(arg));
  return line;
}

// A pipe whose one end (`child`) the program inherits.
struct Pipe {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  explicit Pipe(bool childReads) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    if (::CreatePipe(&read, &write, &inherit, 0) == FALSE) throw std::runtime_error("CreatePipe failed");
    ::SetHandleInformation(childReads ? write : read, HANDLE_FLAG_INHERIT, 0);
  }
};

void ReadAll(HANDLE from, std::string& into) {
  char buffer[4096];
  DWORD n = 0;
  while (::ReadFile(from, buffer, sizeof buffer, &n, nullptr) != FALSE && n > 0) into.append(buffer, n);
  ::CloseHandle(from);
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args, const std::string& input, const std::string& stdoutFile) {
  ::SetEnvironmentVariableW(L"LC_ALL", L"C");
  ::SetEnvironmentVariableW(L"TZ", L"UTC");
  Pipe in(true), out(false), err(false);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in.read;
  HANDLE file = INVALID_HANDLE_VALUE;
  if (!stdoutFile.empty()) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    file = ::CreateFileA(stdoutFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                         OPEN_EXISTING, 0, nullptr);
  }
  startup.hStdOutput = file != INVALID_HANDLE_VALUE ? file : out.write;
  startup.hStdError = err.write;
  PROCESS_INFORMATION process{};
  std::wstring line = CommandLine(args);
  const BOOL started =
      ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
  for (HANDLE childEnd : {in.read, out.write, err.write}) ::CloseHandle(childEnd);
  if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
  if (started == FALSE) throw std::runtime_error("cannot start orvella-cli");

  CliResult result;
  std::thread outReader(ReadAll, out.read, std::ref(result.out));
  std::thread errReader(ReadAll, err.read, std::ref(result.err));
  DWORD written = 0;
  // The program may end without reading; its output tells why.
  if (!input.empty()) ::WriteFile(in.write, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
  ::CloseHandle(in.write);
  outReader.join();
  errReader.join();
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 0;
  ::GetExitCodeProcess(process.hProcess, &exitCode);
  result.exitCode = static_cast<int>(exitCode);
  ::CloseHandle(process.hProcess);
  ::CloseHandle(process.hThread);
  return result;
}

bool RunningAsAdministrator() { return cli::RunsAsAdministrator(); }

}  // namespace orvella::test
