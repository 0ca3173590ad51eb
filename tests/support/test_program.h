// A whole program on simulated drives, with fake surroundings: what most
// tests start from.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/program.h"
#include "device/drive_run.h"
#include "platform/virtual/virtual_os.h"
#include "support/fakes.h"

namespace orvella::test {

// A machine of one drive and, optionally, its volumes.
VirtualMachine MachineWith(VirtualDrive drive, std::vector<VirtualVolume> volumes = {});

struct TestProgram {
  explicit TestProgram(VirtualMachine machine = {})
      : os(std::move(machine), [this](std::int64_t ms) { clock.Advance(ms); }),
        program(os, clock, locale, panes, halt),
        drive(program) {}

  // The stamp the fake surroundings give a log line written now.
  std::u16string Stamp() { return StampText(locale, FromMilliseconds(clock.Milliseconds())); }

  FakeClock clock;
  FakeLocale locale;
  RecordingPanes panes;
  RecordingHalt halt;
  VirtualOs os;
  Program program;
  // The drive the test works on, none until the test chooses one.
  DriveRun drive;
};

// Texts of a log without their stamps (everything up to and including the
// first three blanks).
std::vector<std::u16string> Unstamped(const std::vector<std::u16string>& lines);

}  // namespace orvella::test
