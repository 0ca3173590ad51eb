// What an erase record says about the medium beyond the drive's own words:
// its type, from the bus and the rotation rate where the drive reports one,
// and its manufacturer, from the maker's prefix of the model name.
#pragma once

#include <cstdint>
#include <string>

namespace orvella {

// "HDD", "SSD", "NVMe", "USB flash", "card", "virtual" or "unknown".
std::string MediaType(std::int64_t busType, std::uint16_t rotationRate);

// The manufacturer a well-known model prefix names ("WDC WD10EZEX" is
// Western Digital's); empty when the prefix tells nothing.
std::string MediaManufacturer(const std::string& model);

}  // namespace orvella
