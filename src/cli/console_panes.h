// The program's panes on the terminal: the details and S.M.A.R.T. reports
// as the answer on stdout, the format log as it is written (and kept for
// the erase record), the debug log on stderr. The halt of a condition that
// makes the run impossible is a message on stderr and an exit.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "cli/console.h"
#include "core/halt.h"
#include "core/log_panes.h"

namespace orvella::cli {

class ConsolePanes final : public LogPanes {
 public:
  explicit ConsolePanes(Console& console) : console_(console) {}

  void AppendFormatLog(const std::u16string& line) override;
  void AppendDebugLog(const std::u16string& line) override;
  void AppendDetails(const std::u16string& line) override;
  void AppendSmart(const std::u16string& line) override;

  // Every format log line so far, as written.
  const std::vector<std::u16string>& FormatLog() const { return formatLog_; }

 private:
  Console& console_;
  std::mutex mutex_;  // runs on several drives write from their own threads
  std::vector<std::u16string> formatLog_;
};

class ConsoleHalt final : public Halt {
 public:
  explicit ConsoleHalt(Console& console) : console_(console) {}

  void ShowErrorMessage(const std::u16string& text, const std::u16string& caption) override;
  // The conditions that halt the program here all concern the drives (one
  // did not answer the walk's queries), so the exit code says so whatever
  // the desktop program would end with.
  [[noreturn]] void Terminate(int exitCode) override;

 private:
  Console& console_;
};

}  // namespace orvella::cli
