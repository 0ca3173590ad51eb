// The four one-line log sinks that the whole program writes through.
#pragma once

#include <string>

namespace orvella {

struct Program;

// Stamp + three blanks + Text into the debug log; nothing at all (not even a
// clock reading) unless DebugMode is set.
void AddDebugLog(Program& program, const std::u16string& text);
// Stamp + three blanks + Text into the format log, always.
void AddFormatLog(Program& program, const std::u16string& text);
// Text into the format log as it stands, without a stamp.
void AddFormatLogUnstamped(Program& program, const std::u16string& text);
// Text, unchanged, into the details pane and the S.M.A.R.T. pane.
void AddDetailsLine(Program& program, const std::u16string& text);
void AddSmartLine(Program& program, const std::u16string& text);

}  // namespace orvella
