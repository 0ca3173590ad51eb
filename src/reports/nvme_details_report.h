// The details report of an NVMe drive, from its Identify Controller and
// Identify Namespace data and its sanitize status log, instead of the ATA
// lines that do not apply to it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "device/drive_run.h"
#include "device/erase_methods.h"

namespace orvella {

// What the drive's NVMe identification says, or none when the controller
// does not answer Identify (the system carries no NVMe admin commands).
std::optional<DriveEraseFacts> ReadNvmeIdentification(DriveRun& run);

// The report's lines after its header.
std::vector<std::u16string> NvmeDetailsLines(const DriveEraseFacts& facts, char16_t decimalSeparator);

}  // namespace orvella
