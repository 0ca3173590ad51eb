#include "core/log_sinks.h"

#include "core/program.h"

namespace orvella {
std::u16string StampedLine(Program& program, const std::u16string& text) {
  return StampText(program.locale, program.clock.Now()) + u"   " + text;
}

void AddDebugLog(Program& program, const std::u16string& text) {
  if (!program.DebugMode) return;
  program.panes.AppendDebugLog(StampedLine(program, text));
}

void AddFormatLog(Program& program, const std::u16string& text) {
  program.panes.AppendFormatLog(StampedLine(program, text));
}

void AddDetailsLine(Program& program, const std::u16string& text) { program.panes.AppendDetails(text); }

void AddSmartLine(Program& program, const std::u16string& text) { program.panes.AppendSmart(text); }

}  // namespace orvella
