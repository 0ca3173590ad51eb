#include "core/log_sinks.h"

#include "core/display_text.h"
#include "core/program.h"

namespace orvella {
namespace {

// Every line may quote what a drive or the system reported (a model, a
// mount point, a process name): its control characters are shown, not
// acted on, in every pane and on every terminal.
std::u16string Stamped(Program& program, const std::u16string& text) {
  return StampText(program.locale, program.clock.Now()) + u"   " + DisplaySafe(text);
}

}  // namespace

void AddDebugLog(Program& program, const std::u16string& text) {
  if (!program.DebugMode) return;
  program.panes.AppendDebugLog(Stamped(program, text));
}

void AddFormatLog(Program& program, const std::u16string& text) {
  program.panes.AppendFormatLog(Stamped(program, text));
}

void AddFormatLogUnstamped(Program& program, const std::u16string& text) {
  program.panes.AppendFormatLog(DisplaySafe(text));
}

void AddDetailsLine(Program& program, const std::u16string& text) { program.panes.AppendDetails(DisplaySafe(text)); }

void AddSmartLine(Program& program, const std::u16string& text) { program.panes.AppendSmart(DisplaySafe(text)); }

}  // namespace orvella
