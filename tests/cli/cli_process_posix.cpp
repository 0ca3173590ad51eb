// The runners of cli_process.h on POSIX: fork and exec, pipes, a
// pseudo-terminal.
#include "cli/cli_process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace orvella::test {
namespace {

std::vector<char*> Argv(const std::vector<std::string>& args) {
  static const std::string program = ORVELLA_CLI_PATH;
  std::vector<char*> argv = {const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  return argv;
}

[[noreturn]] void ExecCli(const std::vector<std::string>& args) {
  setenv("LC_ALL", "C", 1);
  setenv("TZ", "UTC", 1);
  // As a login shell starts it: the test ignores SIGPIPE for itself, and
  // ignored signals stay ignored across exec.
  signal(SIGPIPE, SIG_DFL);
  signal(SIGHUP, SIG_DFL);
  std::vector<char*> argv = Argv(args);
  execv(argv[0], argv.data());
  _exit(127);
}

int ExitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

// Appends what is there; false at the end of the stream.
bool Drain(int fd, std::string& into) {
  char buffer[4096];
  const ssize_t n = read(fd, buffer, sizeof buffer);
  if (n <= 0) return false;
  into.append(buffer, static_cast<std::size_t>(n));
  return true;
}

void Pipe(int fds[2]) {
  if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args, const std::string& input, const std::string& stdoutFile) {
  int in[2], out[2], err[2];
  Pipe(in);
  Pipe(out);
  Pipe(err);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(stdoutFile.empty() ? out[1] : open(stdoutFile.c_str(), O_WRONLY), 1);
    dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
    ExecCli(args);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  signal(SIGPIPE, SIG_IGN);
  if (!input.empty() && write(in[1], input.data(), input.size()) < 0) {
    // The process may have ended without reading; its output tells why.
  }
  close(in[1]);

  CliResult result;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  int open = 2;
  while (open > 0) {
    poll(fds, 2, -1);
    for (pollfd& p : fds) {
      if (p.fd < 0 || p.revents == 0) continue;
      if (!Drain(p.fd, p.fd == out[0] ? result.out : result.err)) {
        close(p.fd);
        p.fd = -1;
        --open;
      }
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  result.exitCode = ExitCodeOf(status);
  return result;
}

CliProcess::CliProcess(const std::vector<std::string>& args) {
  int out[2], err[2];
  Pipe(out);
  Pipe(err);
  pid_ = fork();
  if (pid_ == 0) {
    const int null = open("/dev/null", O_RDONLY);
    dup2(null, 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    for (int fd : {null, out[0], out[1], err[0], err[1]}) close(fd);
    ExecCli(args);
  }
  close(out[1]);
  close(err[1]);
  outFd_ = out[0];
  errFd_ = err[0];
}

CliProcess::~CliProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (outFd_ >= 0) close(outFd_);
  if (errFd_ >= 0) close(errFd_);
}

bool CliProcess::ReadSome(int timeoutMs) {
  pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
  if (poll(fds, 2, timeoutMs) <= 0) return true;
  bool open = false;
  if (fds[0].revents != 0) open |= Drain(outFd_, result_.out);
  if (fds[1].revents != 0) open |= Drain(errFd_, result_.err);
  return open;
}

bool CliProcess::WaitForOutput(const std::string& text, std::chrono::seconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (result_.out.find(text) == std::string::npos) {
    if (std::chrono::steady_clock::now() > until || !ReadSome(100)) return false;
  }
  return true;
}

void CliProcess::Signal(int signal) { kill(pid_, signal); }

void CliProcess::CloseOutput() {
  close(outFd_);
  outFd_ = -1;
}

CliResult CliProcess::Finish() {
  std::string* sinks[2] = {&result_.out, &result_.err};
  int fds[2] = {outFd_, errFd_};
  for (int i = 0; i < 2; ++i) {
    while (Drain(fds[i], *sinks[i])) {
    }
  }
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  result_.exitCode = ExitCodeOf(status);
  return result_;
}

CliTerminal::CliTerminal(const std::vector<std::string>& args) {
  pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
  if (pid_ == 0) ExecCli(args);
  if (pid_ < 0) throw std::runtime_error("forkpty failed");
}

CliTerminal::~CliTerminal() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (master_ >= 0) close(master_);
}

bool CliTerminal::WaitForOutput(const std::string& text, std::chrono::seconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (shown_.find(text) == std::string::npos) {
    if (std::chrono::steady_clock::now() > until) return false;
    pollfd p = {master_, POLLIN, 0};
    if (poll(&p, 1, 100) > 0 && !Drain(master_, shown_)) return false;
  }
  return true;
}

void CliTerminal::Type(const std::string& text) {
  if (write(master_, text.data(), text.size()) < 0) throw std::runtime_error("cannot type");
}

// A terminal whose program has ended reports an error instead of an end.
bool RunningAsAdministrator() { return geteuid() == 0; }

CliResult CliTerminal::HangUp() {
  close(master_);
  master_ = -1;
  CliResult result;
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  result.exitCode = ExitCodeOf(status);
  result.out = shown_;
  return result;
}

CliResult CliTerminal::Finish() {
  while (Drain(master_, shown_)) {
  }
  CliResult result;
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  result.exitCode = ExitCodeOf(status);
  result.out = shown_;
  return result;
}

}  // namespace orvella::test
