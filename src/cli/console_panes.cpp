#include "cli/console_panes.h"

#include <cstdlib>

#include "cli/exit_codes.h"
#include "core/text.h"

namespace orvella::cli {

void ConsolePanes::AppendFormatLog(const std::u16string& line) {
  const std::lock_guard lock(mutex_);
  formatLog_.push_back(line);
  console_.Log(TextToUtf8(line));
}

void ConsolePanes::AppendDebugLog(const std::u16string& line) { console_.Err(TextToUtf8(line)); }

void ConsolePanes::AppendDetails(const std::u16string& line) { console_.Out(TextToUtf8(line)); }

void ConsolePanes::AppendSmart(const std::u16string& line) { console_.Out(TextToUtf8(line)); }

void ConsoleHalt::ShowErrorMessage(const std::u16string& text, const std::u16string& caption) {
  console_.Problem(TextToUtf8(caption) + ": " + TextToUtf8(text));
}

void ConsoleHalt::Terminate(int /*exitCode*/) { std::exit(kExitCannotOpen); }

}  // namespace orvella::cli
