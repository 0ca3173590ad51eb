// The SMART / Health Information log of an NVMe drive (log page 02h),
// asked for with the storage property query for protocol-specific data,
// and its fields.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/os.h"

namespace orvella {

inline constexpr std::size_t kNvmeLogPageSize = 512;
using NvmeLogPage = std::array<std::uint8_t, kNvmeLogPageSize>;
inline constexpr std::uint8_t kNvmeHealthLogPage = 0x02;

// The log's 16-byte counters.
struct NvmeCounter {
  std::uint64_t low = 0;
  std::uint64_t high = 0;

  std::u16string DecimalText() const;
  bool operator==(const NvmeCounter&) const = default;
};

// Critical warning bits.
inline constexpr std::uint8_t kNvmeSpareBelowThreshold = 0x01;
inline constexpr std::uint8_t kNvmeTemperatureOutOfRange = 0x02;
inline constexpr std::uint8_t kNvmeReliabilityDegraded = 0x04;
inline constexpr std::uint8_t kNvmeReadOnly = 0x08;
inline constexpr std::uint8_t kNvmeVolatileBackupFailed = 0x10;
inline constexpr std::uint8_t kNvmePersistentMemoryReadOnly = 0x20;

struct NvmeHealthLog {
  std::uint8_t criticalWarning = 0;
  std::uint16_t compositeTemperatureKelvin = 0;
  std::uint8_t availableSpare = 0;           // percent
  std::uint8_t availableSpareThreshold = 0;  // percent
  std::uint8_t percentageUsed = 0;           // may pass 100
  NvmeCounter dataUnitsRead;                 // thousands of 512-byte units
  NvmeCounter dataUnitsWritten;
  NvmeCounter hostReadCommands;
  NvmeCounter hostWriteCommands;
  NvmeCounter controllerBusyMinutes;
  NvmeCounter powerCycles;
  NvmeCounter powerOnHours;
  NvmeCounter unsafeShutdowns;
  NvmeCounter mediaErrors;
  NvmeCounter errorLogEntries;
  std::uint32_t warningTemperatureMinutes = 0;
  std::uint32_t criticalTemperatureMinutes = 0;
};

NvmeHealthLog ParseNvmeHealthLog(const NvmeLogPage& page);

// Asks the drive behind `handle` for the log. `page` is written only on
// success: the request succeeded and its reply describes and holds 512
// bytes of log data.
bool ReadNvmeHealthLog(Os& os, Handle handle, NvmeLogPage& page);

}  // namespace orvella
