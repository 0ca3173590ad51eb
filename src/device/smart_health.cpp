#include "device/smart_health.h"

namespace orvella {

std::optional<std::uint8_t> ThresholdFor(const AtaSector& thresholds, std::uint8_t id) {
  if (id == 0) return std::nullopt;
  for (int slot = 0; slot < kSmartAttributeSlots; ++slot) {
    const SmartThresholdEntry entry = SmartThresholdAt(thresholds, slot);
    if (entry.id == id) return entry.threshold;
  }
  return std::nullopt;
}

AttributeStatus JudgeAttribute(const SmartAttributeEntry& entry, std::optional<std::uint8_t> threshold) {
  if (!threshold) return AttributeStatus::NoThreshold;
  if (*threshold == 0) return AttributeStatus::Ok;
  if (entry.current <= *threshold) return AttributeStatus::FailingNow;
  if (entry.worst <= *threshold) return AttributeStatus::FailedInThePast;
  return AttributeStatus::Ok;
}

}  // namespace orvella
