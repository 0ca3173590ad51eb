#include "core/json_depth.h"

namespace orvella {

bool NestedDeeperThan(std::string_view text, int depth) {
  int level = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\')
        ++i;
      else if (c == '"')
        inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++level > depth) return true;
    } else if (c == ']' || c == '}') {
      --level;
    }
  }
  return false;
}

}  // namespace orvella
