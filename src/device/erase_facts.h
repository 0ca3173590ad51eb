// Reads, without changing anything, what decides which of its own erases a
// drive offers: ATA IDENTIFY (words 59, 82, 89, 90, 128, 217) and SANITIZE
// STATUS EXT; NVMe Identify Controller, Identify Namespace and the sanitize
// status log; SCSI REPORT SUPPORTED OPERATION CODES for each SANITIZE
// service action and REQUEST SENSE; the interface from the bus the drive
// sits on.
#pragma once

#include "device/device_records.h"
#include "device/erase_methods.h"
#include "platform/os.h"

namespace orvella {

// The namespace the drive's block device stands for.
inline constexpr std::uint32_t kNvmeFirstNamespace = 1;

DriveInterface InterfaceOfBus(std::int64_t busType, bool removable);

DriveEraseFacts ReadDriveEraseFacts(Os& os, Handle handle, const TDeviceTable& entry);

// Asks the drive how its sanitize stands now: SANITIZE STATUS EXT, or the
// NVMe sanitize status log. False when the drive did not answer.
bool ReadAtaSanitizeStatus(Os& os, Handle handle, AtaSanitizeStatus& status);
bool ReadNvmeSanitizeLog(Os& os, Handle handle, NvmeSanitizeLog& log);
// REQUEST SENSE: whether a sanitize runs, how far, or failed.
bool ReadScsiSanitizeSense(Os& os, Handle handle, ScsiSanitizeProgress& progress);

}  // namespace orvella
