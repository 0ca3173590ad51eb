#include "reports/smart_units.h"

#include "reports/text_forms.h"

namespace orvella {
namespace {

constexpr int kTemperatureId = 194;
constexpr int kAirflowTemperatureId = 190;

// The unit of the raw value of the attributes whose raw value is a plain
// count in every drive maker's use.
const char16_t* CountUnit(std::uint8_t id) {
  switch (id) {
    case 4: return u"starts";
    case 5: return u"sectors";
    case 9: return u"hours";
    case 10: return u"retries";
    case 12: return u"power cycles";
    case 196: return u"events";
    case 197: return u"sectors";
    case 198: return u"sectors";
    case 199: return u"errors";
    default: return nullptr;
  }
}

}  // namespace

std::optional<std::u16string> RawValueWithUnit(std::uint8_t id, std::uint64_t raw) {
  // Temperatures: the lowest byte; the others hold minimum and maximum.
  if (id == kTemperatureId || id == kAirflowTemperatureId)
    return IntToGroupedStr(static_cast<std::int64_t>(raw & 0xFF)) + u" \u00B0C";
  const char16_t* unit = CountUnit(id);
  if (unit == nullptr) return std::nullopt;
  // Power-on hours: some drives keep minutes or milliseconds in the upper
  // bytes; the hours are the lowest 32 bits.
  const std::uint64_t value = id == 9 ? (raw & 0xFFFFFFFF) : raw;
  return IntToGroupedStr(static_cast<std::int64_t>(value)) + u" " + unit;
}

}  // namespace orvella
