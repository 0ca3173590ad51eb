// Where orvella-cli writes: results to stdout, messages and debug lines to
// stderr, the format log to stdout (to stderr with --json, so that stdout
// carries nothing but the JSON answer). The erase's progress goes to the
// log's stream: on a terminal as one line redrawn in place, which every
// other line written to the terminal first clears and then brings back.
#pragma once

#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace orvella::cli {

class Console {
 public:
  explicit Console(bool json);

  void Out(std::string_view line);
  void Err(std::string_view line);
  // A message of the program on stderr: "orvella-cli: " + text.
  void Problem(std::string_view text);
  void Log(std::string_view line);

  // Whether the log's stream is a terminal: progress is then shown live.
  bool LogIsTerminal() const { return logIsTerminal_; }
  // A terminal: replaces the live line (or lines, one per drive of a
  // run on several). Otherwise: a plain line of its own.
  void Progress(std::string_view text);
  // Takes the live line away; the log's closing lines tell how it ended.
  void EndProgress();

  // Ends the writing to stdout; the reason when anything written there was
  // lost (a full disk, a closed pipe), so that a script is told.
  std::optional<std::string> FinishOutput();

  // Writes a question to stderr and reads one line of stdin; false when
  // stdin has ended or was interrupted.
  bool Ask(std::string_view question, std::string& answer);

 private:
  void Write(std::FILE* stream, std::string_view line);
  void HideLive();
  void ShowLive();

  // Runs on several drives write from their own threads: each line whole.
  std::recursive_mutex mutex_;
  std::FILE* log_;
  bool logIsTerminal_;
  bool sharesTerminal_;   // stdout and stderr are both terminals
  std::string live_;      // the live progress line, empty when none is shown
  int outError_ = 0;      // errno of the first failed write to stdout
};

}  // namespace orvella::cli
