#include "core/log_sinks.h"

#include "core/program.h"

namespace orvella {
namespace {

std::u16string Stamped(Program& program, const std::u16string& text) {
  return StampText(program.locale, program.clock.Now()) + u"   " + text;
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
  program.panes.AppendFormatLog(text);
}

void AddDetailsLine(Program& program, const std::u16string& text) { program.panes.AppendDetails(text); }

void AddSmartLine(Program& program, const std::u16string& text) { program.panes.AppendSmart(text); }

}  // namespace orvella
