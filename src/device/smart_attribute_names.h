// The display names of S.M.A.R.T. attribute ids.
#pragma once

#include <array>
#include <string_view>

namespace orvella {

inline constexpr std::size_t kSmartNameWidth = 26;

// Indexed by attribute id 1 to 255 (entry 0 unused). Named entries are
// blank-filled to 26 characters so that they line up as a column; unnamed
// ids are empty.
extern const std::array<std::u16string_view, 256> SmartAttributeNames;

// The name of `id` (1 to 255), or "Unknown" blank-filled to 26 characters.
std::u16string_view SmartAttributeName(int id);

}  // namespace orvella
