#include "cli/progress_text.h"

#include "core/text.h"
#include "format/run_figures.h"
#include "format/run_progress.h"

namespace orvella::cli {
namespace {

// What the percentage counts: the writes, every written byte read back, or
// the sample read back.
const char16_t* PassDone(const PassProgress& progress) {
  if (progress.pass == RunPass::Writing) return u" complete";
  return progress.sample ? u" of the sample read back" : u" read back";
}

}  // namespace

std::string ProgressText(const ProgressFigures& f) {
  const PassProgress& p = f.progress;
  std::u16string text = StepText(p) + u": " + TenthPercentText(p.done, p.total, f.decimalSeparator) + PassDone(p) +
                        u"   " + BytesOfTotalText(p.done, p.total, f.decimalSeparator) + u"   " +
                        GroupLeadingNumber(f.sector, u',');  // as the caption groups its larger numbers
  if (!f.speed.empty()) text += u"   " + GroupLeadingNumber(f.speed, GroupSeparatorBeside(f.decimalSeparator));
  text += u"   elapsed " + Utf8ToText(DurationText(f.elapsedSeconds));
  if (f.secondsLeft) text += u"   " + Utf8ToText(DurationText(*f.secondsLeft)) + u" left";
  return TextToUtf8(text);
}

}  // namespace orvella::cli
