#include "core/log_sinks.h"

#include "core/display_text.h"
#include "core/program.h"

namespace orvella {

// Every line may quote what a drive or the system reported (a model, a
// mount point, a process name): its control characters are shown, not
// acted on, in every pane, on every terminal and in every record's log.
std::u16string StampedLine(Program& program, const std::u16string& text) {
  return StampText(program.locale, program.clock.Now()) + u"   " + DisplaySafe(text);
}

void AddDebugLog(Program& program, const std::u16string& text) {
  if (!program.DebugMode) return;
  program.panes.AppendDebugLog(StampedLine(program, text));
}

void AddFormatLog(Program& program, const std::u16string& text) {
  program.panes.AppendFormatLog(StampedLine(program, text));
}

void AddDetailsLine(Program& program, const std::u16string& text) { program.panes.AppendDetails(DisplaySafe(text)); }

void AddSmartLine(Program& program, const std::u16string& text) { program.panes.AppendSmart(DisplaySafe(text)); }

}  // namespace orvella
