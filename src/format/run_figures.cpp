#include "format/run_figures.h"

#include "core/text.h"

namespace orvella {

std::u16string StepText(const PassProgress& progress) {
  std::u16string text = progress.pass == RunPass::Writing ? u"Writing " : u"Reading back ";
  text += Utf8ToText(std::to_string(progress.number) + " of " + std::to_string(progress.count));
  if (progress.sample) text += u" (sample)";
  return text;
}

std::u16string TenthPercentText(std::int64_t done, std::int64_t total, char16_t decimalSeparator) {
  const std::int64_t tenths = total > 0 ? static_cast<std::int64_t>(static_cast<long double>(done) * 1000 / total) : 0;
  return Utf8ToText(std::to_string(tenths / 10)) + decimalSeparator + Utf8ToText(std::to_string(tenths % 10)) + u"%";
}

void RunFigures::Start(Clock::time_point now) {
  running_ = true;
  stopped_ = false;
  start_ = now;
  timeLeft_ = TimeLeftEstimate{};
  bytes_.clear();
  where_.clear();
}

std::int64_t RunFigures::SecondsSince(Clock::time_point now) const {
  return std::chrono::duration_cast<std::chrono::seconds>(now - start_).count();
}

void RunFigures::Update(const PassProgress& progress, char16_t decimalSeparator, Clock::time_point now) {
  timeLeft_.BytesDone(progress.done, progress.total, now, progress.laterBytes);
  bytes_ = BytesOfTotalText(progress.done, progress.total, decimalSeparator);
  where_ = u" at " + TenthPercentText(progress.done, progress.total, decimalSeparator) + u" (" + StepText(progress) +
           u")";
}

std::u16string RunFigures::Progress(const PassProgress& progress, char16_t decimalSeparator, Clock::time_point now) {
  Update(progress, decimalSeparator, now);
  const std::u16string percent = TenthPercentText(progress.done, progress.total, decimalSeparator);
  std::u16string text = StepText(progress) + u"   " + percent + u"   " + bytes_ + u"   elapsed " +
                        Utf8ToText(DurationText(SecondsSince(now)));
  if (const auto left = timeLeft_.SecondsLeft()) text += u"   " + Utf8ToText(DurationText(*left)) + u" left";
  return text;
}

std::u16string RunFigures::End(Clock::time_point now) {
  running_ = false;
  std::u16string text;
  if (stopped_) text = u"Stopped" + where_ + u"   ";
  if (!bytes_.empty()) text += bytes_ + u"   ";
  return text + u"took " + Utf8ToText(DurationText(SecondsSince(now)));
}

std::u16string ProgressTitle(std::int64_t done, std::int64_t total, const std::u16string& title) {
  const std::int64_t percent = total > 0 ? done * 100 / total : 0;
  return Utf8ToText(std::to_string(percent)) + u"% - " + title;
}

}  // namespace orvella
