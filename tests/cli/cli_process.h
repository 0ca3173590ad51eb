// Runs orvella-cli as a child process, as a user or a script would: with
// its standard streams on pipes (or, on POSIX, on a pseudo-terminal), its
// environment fixed to the C locale and UTC, and on POSIX a way to signal
// it while it runs.
#pragma once

#ifndef _WIN32
#include <sys/types.h>
#endif

#include <chrono>
#include <string>
#include <vector>

namespace orvella::test {

struct CliResult {
  int exitCode = -1;  // -1: ended by a signal
  std::string out;
  std::string err;
  // Lines of `out` (or `err`) without the log stamp in front, where one is.
  std::vector<std::string> OutLines() const;
  std::vector<std::string> ErrLines() const;
};

// Runs orvella-cli with `args` to its end; `input` is its whole stdin.
// With `stdoutFile` (an existing file or device such as /dev/full), stdout
// goes there instead of into `out`.
CliResult RunCli(const std::vector<std::string>& args, const std::string& input = "",
                 const std::string& stdoutFile = "");

#ifndef _WIN32
// A running orvella-cli on pipes, stdin closed.
class CliProcess {
 public:
  explicit CliProcess(const std::vector<std::string>& args);
  ~CliProcess();
  CliProcess(const CliProcess&) = delete;
  CliProcess& operator=(const CliProcess&) = delete;

  // Reads stdout until it holds `text`; false when the process ended or the
  // time ran out first.
  bool WaitForOutput(const std::string& text, std::chrono::seconds limit = std::chrono::seconds(20));
  void Signal(int signal);
  // Closes the reading end of stdout, as a reader that stops early does.
  void CloseOutput();
  // Reads everything to the end and waits for the process.
  CliResult Finish();

 private:
  bool ReadSome(int timeoutMs);

  pid_t pid_ = -1;
  int outFd_ = -1;
  int errFd_ = -1;
  CliResult result_;
};

// A running orvella-cli on a pseudo-terminal: stdin, stdout and stderr are
// all the terminal, as in an interactive session.
class CliTerminal {
 public:
  explicit CliTerminal(const std::vector<std::string>& args);
  ~CliTerminal();
  CliTerminal(const CliTerminal&) = delete;
  CliTerminal& operator=(const CliTerminal&) = delete;

  bool WaitForOutput(const std::string& text, std::chrono::seconds limit = std::chrono::seconds(20));
  void Type(const std::string& text);
  // Everything the terminal showed, and the exit code.
  CliResult Finish();
  // Closes the terminal, as a dropped SSH connection does, and waits for
  // the process: what it showed before, and the exit code.
  CliResult HangUp();

 private:
  pid_t pid_ = -1;
  int master_ = -1;
  std::string shown_;
};

#endif

// Whether the tests run with administrator rights (root, an elevated
// token), as the orvella-cli they start then does.
bool RunningAsAdministrator();

// Lines of a text, with the stamp of a format log line taken off.
std::vector<std::string> UnstampedLines(const std::string& text);

}  // namespace orvella::test
