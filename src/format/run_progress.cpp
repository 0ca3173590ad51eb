#include "format/run_progress.h"

#include <cmath>

#include "reports/text_forms.h"

namespace orvella {
namespace {

// Less than this much of the run is too little to extrapolate from.
constexpr auto kShortestBasis = std::chrono::milliseconds(500);

std::string TwoDigits(std::int64_t value) { return (value < 10 ? "0" : "") + std::to_string(value); }

}  // namespace

std::string DurationText(std::int64_t seconds) {
  if (seconds < 60) return std::to_string(seconds) + " s";
  if (seconds < 3600) return std::to_string(seconds / 60) + " min " + TwoDigits(seconds % 60) + " s";
  return std::to_string(seconds / 3600) + " h " + TwoDigits(seconds % 3600 / 60) + " min";
}

std::u16string BytesOfTotalText(std::int64_t done, std::int64_t total, char16_t decimalSeparator) {
  const char16_t group = GroupSeparatorBeside(decimalSeparator);
  return GroupLeadingNumber(CapacityToStr(done, decimalSeparator), group) + u" of " +
         GroupLeadingNumber(CapacityToStr(total, decimalSeparator), group);
}

char16_t GroupSeparatorBeside(char16_t decimalSeparator) { return decimalSeparator == u',' ? u'.' : u','; }

std::u16string GroupLeadingNumber(std::u16string text, char16_t groupSeparator) {
  const auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
  std::size_t first = 0;
  while (first < text.size() && !isDigit(text[first])) ++first;
  std::size_t end = first;
  while (end < text.size() && isDigit(text[end])) ++end;
  for (std::size_t at = end; at > first + 3; at -= 3) text.insert(at - 3, 1, groupSeparator);
  return text;
}

void TimeLeftEstimate::BytesDone(std::int64_t done, std::int64_t total, Clock::time_point now, std::int64_t later) {
  if (!start_ || done < done_ || total != total_) {
    start_ = now;
    startDone_ = done;
    secondsLeft_.reset();
  }
  done_ = done;
  total_ = total;
  const auto elapsed = now - *start_;
  if (done > startDone_ && elapsed >= kShortestBasis) {
    const double seconds = std::chrono::duration<double>(elapsed).count();
    const double rate = static_cast<double>(done - startDone_) / seconds;
    secondsLeft_ = static_cast<std::int64_t>(std::ceil(static_cast<double>(total - done + later) / rate));
  }
}

}  // namespace orvella
