// The start-up sequence that runs when the main window is first shown: the
// command line, the platform checks, the window captions, the device walk
// and the warning lines of the format log.
#pragma once

#include <string>

#include "app/choose_view.h"
#include "app/desktop.h"
#include "app/main_view.h"
#include "core/program.h"

namespace orvella {

struct ProgramWindows {
  MainView& main;
  ChooseView& choose;
  DebugView& debug;
};

// Whether the process runs as 32-bit code on a 64-bit system. Throws
// std::runtime_error("Bad process handle") when the system cannot tell.
bool IsWow64(Os& os);

// The folder of a program file, with its trailing separator.
std::u16string ProgramFolder(const std::u16string& programFile);

void InitializeProgram(Program& program, Desktop& desktop, ProgramWindows& windows);

// The device walk into the catalogue (which must be empty), then the count
// of drives found in the selection window's status bar.
void WalkDrives(Program& program, ChooseView& choose);

// The three warning lines that open the format log.
void WriteFormatWarning(Program& program);

}  // namespace orvella
