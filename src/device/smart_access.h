// The S.M.A.R.T. operations sent to an ATA drive (switch on, read the
// attribute values page, switch off) and the layout of that page.
#pragma once

#include <cstdint>

#include "device/ata_command_channel.h"
#include "platform/os.h"

namespace orvella {

bool SmartEnable(Os& os, Handle handle, std::uint8_t driveNumber);
bool SmartDisable(Os& os, Handle handle, std::uint8_t driveNumber);
// The attribute values page, through the receive request and, when that
// fails, once through the send request. `page` is written only on success.
bool SmartReadData(Os& os, Handle handle, std::uint8_t driveNumber, AtaSector& page);
// The attribute thresholds page, the same way.
bool SmartReadThresholds(Os& os, Handle handle, std::uint8_t driveNumber, AtaSector& page);

// The drive's own verdict (SMART RETURN STATUS): the signature 4Fh/C2h back
// in the cylinder registers says passed, F4h/2Ch that a threshold is
// exceeded; any other answer, or none, leaves it unknown.
enum class SmartVerdict { Unknown, Passed, Failing };
SmartVerdict SmartReturnStatus(Os& os, Handle handle, std::uint8_t driveNumber);

// The attribute values page: 30 entries of 12 bytes from offset 2.
inline constexpr int kSmartAttributeSlots = 30;

struct SmartAttributeEntry {
  std::uint8_t id = 0;  // 0 marks an empty slot
  std::uint8_t current = 0;
  std::uint8_t worst = 0;
  std::uint64_t raw = 0;  // 48 bits
};

// Entry `slot` (0 to 29) of the page as it stands; flags and reserved bytes
// are not read.
SmartAttributeEntry SmartAttributeAt(const AtaSector& page, int slot);

// The thresholds page has the same 30 slots: id, then the threshold.
struct SmartThresholdEntry {
  std::uint8_t id = 0;
  std::uint8_t threshold = 0;
};
SmartThresholdEntry SmartThresholdAt(const AtaSector& page, int slot);

}  // namespace orvella
