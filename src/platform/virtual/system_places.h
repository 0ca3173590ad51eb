// The system disk of a simulated machine: a drive with a volume mounted at
// one of the running system's places (/, /boot, /usr, /boot/efi, C:\), as a
// drive file describes it. The machine is read as it was described; a
// dismount during a run does not make a system disk erasable.
#pragma once

#include "platform/system_use.h"
#include "platform/virtual/virtual_machine.h"

namespace orvella {

SystemUseQuery VirtualSystemUse(const VirtualMachine& machine);

}  // namespace orvella
