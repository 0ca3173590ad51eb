// What an attribute's raw value counts, where the attribute is one whose
// raw value drives commonly report in a known unit; the report shows the
// value with its unit instead of a bare number.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvella {

// "19,322 hours", "36 °C", "8 sectors"; none for ids whose raw value has no
// common unit (the value is then shown as it is).
std::optional<std::u16string> RawValueWithUnit(std::uint8_t id, std::uint64_t raw);

}  // namespace orvella
