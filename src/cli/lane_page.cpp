#include "cli/lane_page.h"

#include "core/text.h"

namespace orvella::cli {

void LanePage::ShowPassProgress(const PassProgress& p) {
  timeLeft_.BytesDone(p.done, p.total, std::chrono::steady_clock::now(), p.laterBytes);
  const int share = p.total > 0 ? static_cast<int>(p.done * 100 / p.total) : 0;
  const char* phase = p.pass == RunPass::Writing ? "writing" : p.sample ? "reading back a sample" : "reading back";
  board_.ShowFigures(row_, phase, share, TextToUtf8(captions_[FormatLabel::Speed]), timeLeft_.SecondsLeft());
}

void LanePage::ProcessPendingMessages() {
  if (!stop_ || stopPressed_ || procedure_ == nullptr) return;
  stopPressed_ = true;
  procedure_->btStopClick();
}

}  // namespace orvella::cli
