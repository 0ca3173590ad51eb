#include "format/run_figures.h"

#include "core/text.h"

namespace orvella {

void RunFigures::Start(Clock::time_point now) {
  running_ = true;
  start_ = now;
  timeLeft_ = TimeLeftEstimate{};
  bytes_.clear();
}

std::int64_t RunFigures::SecondsSince(Clock::time_point now) const {
  return std::chrono::duration_cast<std::chrono::seconds>(now - start_).count();
}

std::u16string RunFigures::Progress(std::int64_t done, std::int64_t total, char16_t decimalSeparator,
                                    Clock::time_point now) {
  timeLeft_.BytesDone(done, total, now);
  bytes_ = BytesOfTotalText(done, total, decimalSeparator);
  std::u16string text = bytes_ + u"   elapsed " + Utf8ToText(DurationText(SecondsSince(now)));
  if (const auto left = timeLeft_.SecondsLeft()) text += u"   " + Utf8ToText(DurationText(*left)) + u" left";
  return text;
}

std::u16string RunFigures::End(Clock::time_point now) {
  running_ = false;
  const std::u16string took = u"took " + Utf8ToText(DurationText(SecondsSince(now)));
  return bytes_.empty() ? took : bytes_ + u"   " + took;
}

std::u16string ProgressTitle(std::int64_t done, std::int64_t total, const std::u16string& title) {
  const std::int64_t percent = total > 0 ? done * 100 / total : 0;
  return Utf8ToText(std::to_string(percent)) + u"% - " + title;
}

}  // namespace orvella
