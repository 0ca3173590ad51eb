#include "cli/console.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "cli/terminal.h"

namespace orvella::cli {
namespace {

constexpr char kClearLine[] = "\r\033[K";

}  // namespace

Console::Console(bool json)
    : log_(json ? stderr : stdout),
      logIsTerminal_(IsTerminal(log_)),
      sharesTerminal_(IsTerminal(stdout) && IsTerminal(stderr)) {}

void Console::Out(std::string_view line) { Write(stdout, line); }
void Console::Err(std::string_view line) { Write(stderr, line); }
void Console::Problem(std::string_view text) { Err("orvella-cli: " + std::string(text)); }
void Console::Log(std::string_view line) { Write(log_, line); }

// A line for the stream that holds the live line, or for the other one
// when both show on the same terminal, goes above the live line.
void Console::Write(std::FILE* stream, std::string_view line) {
  const std::lock_guard lock(mutex_);
  const bool crossesLive = !live_.empty() && (stream == log_ || sharesTerminal_);
  if (crossesLive) HideLive();
  std::fwrite(line.data(), 1, line.size(), stream);
  std::fputc('\n', stream);
  if (std::fflush(stream) != 0 && stream == stdout && outError_ == 0) outError_ = errno;
  if (crossesLive) ShowLive();
}

std::optional<std::string> Console::FinishOutput() {
  const std::lock_guard lock(mutex_);
  if (std::fflush(stdout) != 0 && outError_ == 0) outError_ = errno;
  if (std::ferror(stdout) != 0 && outError_ == 0) outError_ = EIO;
  if (outError_ == 0) return std::nullopt;
  return std::string(std::strerror(outError_));
}

void Console::Progress(std::string_view text) {
  const std::lock_guard lock(mutex_);
  if (!logIsTerminal_) {
    Write(log_, text);
    return;
  }
  live_ = text;
  ShowLive();
}

void Console::EndProgress() {
  const std::lock_guard lock(mutex_);
  if (live_.empty()) return;
  HideLive();
  live_.clear();
}

bool Console::Ask(std::string_view question, std::string& answer) {
  std::fwrite(question.data(), 1, question.size(), stderr);
  std::fflush(stderr);
  // Read with the C library so that an interrupting signal ends the read.
  answer.clear();
  for (;;) {
    const int c = std::fgetc(stdin);
    if (c == EOF) return false;
    if (c == '\n') return true;
    answer.push_back(static_cast<char>(c));
  }
}

// A live table of several lines is taken away from its first line down.
void Console::HideLive() {
  const auto rows = std::count(live_.begin(), live_.end(), '\n');
  if (rows > 0) std::fprintf(log_, "\033[%dA\r\033[J", static_cast<int>(rows));
  std::fputs(kClearLine, log_);
  std::fflush(log_);
}

void Console::ShowLive() {
  std::fputs(kClearLine, log_);
  std::fwrite(live_.data(), 1, live_.size(), log_);
  std::fflush(log_);
}

}  // namespace orvella::cli
