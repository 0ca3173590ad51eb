// Sectors a drive keeps out of reach: a Host Protected Area (the accessible
// maximum set below the native one) and a Device Configuration Overlay (the
// native maximum set below the factory one). Only asked for, never changed:
// every command sent here reads.
#pragma once

#include <cstdint>
#include <optional>

#include "device/device_records.h"
#include "platform/os.h"

namespace orvella {

// How the native maximum address was asked for.
enum class NativeMaxMethod {
  None,              // the drive has neither feature set for it (or no 48-bit addressing)
  ReadNativeMaxExt,  // READ NATIVE MAX ADDRESS EXT, Host Protected Area feature set
  GetNativeMaxExt,   // GET NATIVE MAX ADDRESS EXT, Accessible Max Address Configuration
};

struct HiddenAreas {
  std::int64_t accessibleSectors = 0;  // what IDENTIFY offers
  NativeMaxMethod method = NativeMaxMethod::None;
  std::optional<std::int64_t> nativeSectors;  // the native maximum address + 1; none: no answer
  bool dcoSupported = false;
  std::optional<std::int64_t> dcoSectors;  // the overlay's maximum address + 1; none: no answer

  // Both 0 when the drive did not tell, or tells of nothing hidden.
  std::int64_t HpaHiddenSectors() const;
  std::int64_t DcoHiddenSectors() const;
};

// Asks the drive behind `handle` (which IDENTIFY described as `passport`).
HiddenAreas DetectHiddenAreas(Os& os, Handle handle, std::uint8_t driveNumber, const T_IDE_PASSPORT& passport);

}  // namespace orvella
