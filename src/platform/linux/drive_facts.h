// What sysfs tells about one drive, in the terms of the storage queries the
// program sends: the Windows bus type of its transport, the adapter's
// transfer limit, and the vendor, product, revision and serial texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/linux/system_tree.h"

namespace orvella::linux_backend {

// The Windows STORAGE_BUS_TYPE values that Linux transports map to.
enum WindowsBusType : std::uint8_t {
  kBusUnknown = 0,
  kBusScsi = 1,
  kBusAta = 3,
  kBusFibre = 6,
  kBusUsb = 7,
  kBusIscsi = 9,
  kBusSas = 10,
  kBusSata = 11,
  kBusSd = 12,
  kBusMmc = 13,
  kBusVirtual = 14,
  kBusFileBackedVirtual = 15,
  kBusNvme = 17,
};

// Host, channel, target and LUN of a drive on a SCSI host.
struct ScsiAddress {
  std::uint8_t host = 0;
  std::uint8_t channel = 0;
  std::uint8_t target = 0;
  std::uint8_t lun = 0;
};

struct DriveFacts {
  std::uint8_t busType = kBusUnknown;
  std::uint32_t maxTransferBytes = 0;
  std::uint32_t maxSegments = 0;
  std::uint32_t alignmentMask = 0;
  // Trimmed texts; empty when the drive has none.
  std::string vendor;
  std::string product;
  std::string revision;
  std::string serial;
  bool removable = false;
  bool readOnly = false;
  bool commandQueueing = false;
  std::uint8_t scsiDeviceType = 0;  // the SCSI peripheral device type; 0 = disk
  std::optional<ScsiAddress> scsiAddress;
};

DriveFacts ReadDriveFacts(const SystemTree& tree, const std::string& name);

// The transport of a drive, from its kernel name and the resolved path of its
// sysfs device (the tests lsblk makes).
std::uint8_t BusTypeOf(const SystemTree& tree, const std::string& name, const std::string& devicePath);

// "0:0:1:0" at the end of a SCSI device path.
std::optional<ScsiAddress> ScsiAddressOf(const std::string& devicePath);

// Bus types whose drives take ATA commands through SAT pass-through.
inline bool TakesAtaCommands(std::uint8_t busType) { return busType == kBusAta || busType == kBusSata; }

}  // namespace orvella::linux_backend
