// What the attribute ids without a display name commonly stand for, as
// drive makers use them (many SSD ids among them). Shown beside the display
// name in machine-readable answers; the table itself is data.
#pragma once

#include <optional>
#include <string_view>

namespace orvella {

// The common meaning of `id`, none for ids that have a display name or that
// no common use is known for.
std::optional<std::u16string_view> SmartAttributeCommonName(int id);

}  // namespace orvella
