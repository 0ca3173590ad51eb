// The 512 bytes a simulated drive answers to IDENTIFY DEVICE, shared by the
// requests that carry ATA commands.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/virtual/virtual_machine.h"

namespace orvella {

// `ata.identify` must be set.
std::vector<std::uint8_t> VirtualIdentifySector(const VirtualAta& ata);

}  // namespace orvella
