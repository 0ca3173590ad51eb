// Whether the drive a desktop is about to erase holds the running system:
// the file systems mounted at the system's places, and whatever more the
// backend can tell (Program::systemUseOf). Erasing such a drive takes the
// computer down under the erase, so the desktop asks for an explicit
// acknowledgement before it even asks its question.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/program.h"

namespace orvella {

// The parts of the running system on drive `driveNumber`, in words; none
// for any other drive.
std::vector<std::u16string> SystemUseOfDrive(Program& program, std::uint32_t driveNumber);

// The caption of the tick box that acknowledges them; empty for none.
std::u16string SystemDiskTickText(const std::vector<std::u16string>& systemUse);

// What the desktop says when the erase of such a drive is started without
// the tick.
std::u16string SystemDiskRefusal(const std::vector<std::u16string>& systemUse);

}  // namespace orvella
