#include "cli/progress_text.h"

#include "core/text.h"

namespace orvella::cli {

std::string ProgressText(const std::u16string& percent, const std::u16string& sector,
                         const std::u16string& speed, std::optional<std::int64_t> secondsLeft) {
  std::string text = TextToUtf8(percent) + "   " + TextToUtf8(sector);
  if (!speed.empty()) text += "   " + TextToUtf8(speed);
  if (secondsLeft) text += "   " + DurationText(*secondsLeft) + " left";
  return text;
}

}  // namespace orvella::cli
