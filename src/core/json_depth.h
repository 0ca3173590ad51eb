// How deep JSON text nests, counted before it is parsed: a file of a
// million brackets is refused before anything walks it recursively (the
// parser itself does not recurse, but destroying, comparing or writing the
// parsed value does).
#pragma once

#include <string_view>

namespace orvella {

// Whether `text` nests arrays and objects deeper than `depth`.
bool NestedDeeperThan(std::string_view text, int depth);

}  // namespace orvella
