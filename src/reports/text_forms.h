// The fixed text forms of numbers and device titles, so that the same value
// reads the same in the device list, the reports, the format log and the
// progress labels.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/program.h"
#include "device/device_records.h"

namespace orvella {

using DeviceCatalogue = std::array<TDeviceTable, kCatalogueSlots + 1>;

// Decimal digits with "," between groups of three, but only from five digits
// on: 1234 stays "1234", 12345 gives "12,345". The separator never follows
// the locale.
std::u16string IntToGroupedStr(std::int64_t value);

// A byte count as "bytes", "KB", "MB" or "GB" (powers of 1000), with at most
// two decimals, truncated, written without trailing zeros and with the
// locale's decimal separator. A value equal to 99,999, 9,999,999 or
// 9,999,999,999 already takes the larger unit.
std::u16string CapacityToStr(std::int64_t value, char16_t decimalSeparator);

// "[N]  Model    FW    [capacity]    (sectors size-byte sectors)" for entry
// `index` (1 to 16) of the catalogue; a capacity beyond 64 bits is named,
// not computed.
std::u16string GetDeviceTitle(const DeviceCatalogue& devices, int index, char16_t decimalSeparator);

// Two hexadecimal digits, capital letters: 0Fh gives "0F".
std::u16string TwoHexDigits(std::uint8_t value);

// Blank-fill on the right or the left up to `width`; never shortens.
std::u16string PadRight(std::u16string text, std::uint16_t width);
std::u16string PadLeft(std::u16string text, std::uint16_t width);

}  // namespace orvella
