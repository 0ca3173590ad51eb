// The four one-line log sinks that the whole program writes through.
#pragma once

#include <string>

namespace orvella {

struct Program;

// The stamp of now, three blanks and Text: a line of the debug and format logs.
std::u16string StampedLine(Program& program, const std::u16string& text);

// Stamp + three blanks + Text into the debug log; nothing at all (not even a
// clock reading) unless DebugMode is set.
void AddDebugLog(Program& program, const std::u16string& text);
// Stamp + three blanks + Text into the format log pane, always: the lines
// that belong to no drive (a drive's own go through its DriveRun).
void AddFormatLog(Program& program, const std::u16string& text);
// Text, unchanged, into the details pane and the S.M.A.R.T. pane.
void AddDetailsLine(Program& program, const std::u16string& text);
void AddSmartLine(Program& program, const std::u16string& text);

}  // namespace orvella
