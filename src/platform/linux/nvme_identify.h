// An NVMe drive's Identify Controller and Identify Namespace data, answered
// as the 512 bytes of an ATA IDENTIFY DEVICE, so that the program's details
// report shows an NVMe drive's model, serial number, firmware and capacity.
// Only those fields are filled: no ATA feature set is claimed, so S.M.A.R.T.
// and security show as not supported.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "platform/linux/syscalls.h"

namespace orvella::linux_backend {

inline constexpr std::size_t kNvmeIdentifySize = 4096;
using NvmeIdentifyData = std::array<std::uint8_t, kNvmeIdentifySize>;
using AtaIdentifyData = std::array<std::uint8_t, 512>;

// The capacity is given in 512-byte sectors, the unit the program reads
// IDENTIFY sector counts in.
AtaIdentifyData AtaIdentifyFromNvme(const NvmeIdentifyData& controller, const NvmeIdentifyData& space);

// Runs the two Identify admin commands on an NVMe namespace's block device.
// The Windows code of a failure in `error`.
std::optional<AtaIdentifyData> IdentifyNvmeAsAta(Syscalls& syscalls, int fd, std::uint32_t& error);

}  // namespace orvella::linux_backend
