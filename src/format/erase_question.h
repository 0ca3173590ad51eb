// The confirmation of an erase: its question, and below it every fact a
// person needs to be sure that this is the drive meant and the erase wanted
// (the device path, model, serial, size, the mounted file systems that will
// be taken down, the mode and the read-back).
#pragma once

#include <string>

#include "format/format_write_loop.h"

namespace orvella {

class DriveRun;

struct EraseQuestion {
  std::u16string instruction;
  std::u16string content;
};

EraseQuestion AskToErase(DriveRun& run, const EraseChoices& choices);

}  // namespace orvella
