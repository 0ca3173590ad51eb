// How each S.M.A.R.T. attribute stands against its threshold, read from the
// thresholds page, the way drives mean it: a normalised value at or below a
// non-zero threshold has failed.
#pragma once

#include <cstdint>
#include <optional>

#include "device/ata_command_channel.h"
#include "device/smart_access.h"

namespace orvella {

enum class AttributeStatus {
  NoThreshold,      // the thresholds page was not read, or does not list the id
  Ok,               // above its threshold now and ever (or a threshold of 0: never fails)
  FailedInThePast,  // the worst value reached the threshold, the current one is above it
  FailingNow,       // the current value is at or below the threshold
};

// The threshold the page gives for `id`; none when no slot holds the id.
std::optional<std::uint8_t> ThresholdFor(const AtaSector& thresholds, std::uint8_t id);

AttributeStatus JudgeAttribute(const SmartAttributeEntry& entry, std::optional<std::uint8_t> threshold);

}  // namespace orvella
