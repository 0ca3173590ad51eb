// The Windows reply structures of the disk and storage queries, built from
// what Linux reports, byte for byte as the program reads them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/linux/drive_facts.h"

namespace orvella::linux_backend {

using Bytes = std::vector<std::uint8_t>;

// DISK_GEOMETRY with the usual 255 heads and 63 sectors per track.
Bytes GeometryReply(std::uint32_t bytesPerSector, std::uint64_t length, bool removable);
// GET_LENGTH_INFORMATION.
Bytes LengthReply(std::uint64_t length);
// STORAGE_ADAPTER_DESCRIPTOR.
Bytes AdapterDescriptorReply(const DriveFacts& facts);
// STORAGE_DEVICE_DESCRIPTOR followed by its zero-terminated texts; the
// serial number in the byte order the program expects (see ProbeOrderSerial).
Bytes DeviceDescriptorReply(const DriveFacts& facts);
// STORAGE_DEVICE_NUMBER of a disk (partition 0) or of one of its partitions.
Bytes DeviceNumberReply(std::uint32_t deviceNumber, std::uint32_t partitionNumber);

// The program swaps every pair of serial number bytes, as ATA drives store
// them; reporting the serial number pre-swapped (padded to an even length
// with a blank, which the program trims) makes it show as the drive has it.
std::string ProbeOrderSerial(const std::string& serial);

}  // namespace orvella::linux_backend
