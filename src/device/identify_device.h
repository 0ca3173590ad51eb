// Reads a drive's 512 bytes of ATA IDENTIFY DEVICE data: through the
// S.M.A.R.T. receive request when the driver offers it, else through the
// SCSI miniport identify request.
#pragma once

#include <cstdint>

#include "device/ata_command_channel.h"
#include "platform/os.h"

namespace orvella {

// `data` is written only on success. No retry here: callers decide.
bool IdentifyDevice(Os& os, Handle handle, std::uint8_t driveNumber, AtaSector& data);

}  // namespace orvella
