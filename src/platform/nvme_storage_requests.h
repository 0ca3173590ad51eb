// NVMe admin commands as the Windows storage stack takes them. Windows lets
// a program send no raw NVMe admin command: Identify and Get Log Page travel
// as protocol-specific property queries, a sanitize block or crypto erase as
// IOCTL_STORAGE_REINITIALIZE_MEDIA. Sanitize overwrite, Format NVM and every
// other command have no request. These functions build the request buffers
// and read the answers byte for byte; the Windows backend sends them.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/nvme_admin_command.h"

namespace orvella {

// One device-control request: its code, its input, and the room its answer needs.
struct NvmeStorageRequest {
  std::uint32_t controlCode = 0;
  std::vector<std::uint8_t> in;
  std::uint32_t outSize = 0;
  bool PropertyQuery() const;
};

// The request that carries `command`, or none where Windows has none for it.
std::optional<NvmeStorageRequest> NvmeRequestFor(const NvmeAdminCommand& command);

// The same query asked of the other half of the drive (the device instead
// of the adapter, or the other way round), for drivers that answer only one.
void SwapQueryTarget(NvmeStorageRequest& request);

// Copies the data of a property query's answer (STORAGE_PROTOCOL_DATA_
// DESCRIPTOR, `returned` bytes) into `command.data` and its fixed return
// value into `command.result`. False when the answer is shorter than the
// data asked for, or points outside itself.
bool ReadNvmeQueryAnswer(const std::uint8_t* out, std::uint32_t returned, NvmeAdminCommand& command);

}  // namespace orvella
