// SCSI commands of the program through SG_IO, behind an allow-list: the
// commands that only read (REPORT SUPPORTED OPERATION CODES for one command,
// REQUEST SENSE) pass always; SANITIZE passes only inside a run that holds
// the whole disk, only as the program sends it (IMMED, service action
// overwrite, block erase or cryptographic erase, nothing else set, the
// overwrite with its parameter list); everything else never.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/linux/syscalls.h"
#include "platform/scsi_command.h"

namespace orvella::linux_backend {

enum class ScsiUse { Reading, Erasing };

std::optional<ScsiUse> PermittedScsi(const ScsiCommand& command, bool claimed = false);

// Runs one command through SG_IO on `fd`: 0 when the device answered (its
// status, sense data and residual are then in `command`), else the Windows
// code of why the command did not reach it.
std::uint32_t RunScsiCommand(Syscalls& syscalls, int fd, ScsiCommand& command);

}  // namespace orvella::linux_backend
