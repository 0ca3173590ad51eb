// Decodes 512 bytes of ATA IDENTIFY DEVICE data into a T_IDE_PASSPORT.
#pragma once

#include "device/ata_command_channel.h"
#include "device/device_records.h"
#include "platform/os.h"

namespace orvella {

// Any 512 bytes decode. Texts go through the system's ANSI code page (`os`)
// and are trimmed; a zero byte inside a text stays in it.
T_IDE_PASSPORT ParseIdentifyData(Os& os, const AtaSector& data);

}  // namespace orvella
