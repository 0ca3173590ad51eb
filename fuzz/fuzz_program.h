// A whole program over a given operating system, with the test doubles of
// its surroundings: what the fuzzers of the system code start from. A halt
// (the program ending itself on a fatal error) is thrown as ProgramHalted.
#pragma once

#include "core/program.h"
#include "support/fakes.h"

namespace orvella::fuzz {

struct FuzzProgram {
  explicit FuzzProgram(Os& os) : program(os, clock, locale, panes, halt) { program.DebugMode = true; }

  test::FakeClock clock;
  test::FakeLocale locale;
  test::RecordingPanes panes;
  test::RecordingHalt halt;
  Program program;
};

}  // namespace orvella::fuzz
