#include "cli/lane_page.h"

#include "core/text.h"

namespace orvella::cli {

void LanePage::ShowBytesDone(std::int64_t done, std::int64_t total) {
  timeLeft_.BytesDone(done, total, std::chrono::steady_clock::now());
  const std::u16string& percent = captions_[FormatLabel::CurrentPercent];
  // The read-back's captions say "verified" where the writes' say "complete".
  const bool readingBack = percent.find(u"verified") != std::u16string::npos;
  const int share = total > 0 ? static_cast<int>(done * 100 / total) : 0;
  board_.ShowFigures(row_, readingBack ? "reading back" : "writing", share, TextToUtf8(captions_[FormatLabel::Speed]),
                     timeLeft_.SecondsLeft());
}

void LanePage::ProcessPendingMessages() {
  if (!stop_ || stopPressed_ || procedure_ == nullptr) return;
  stopPressed_ = true;
  procedure_->btStopClick();
}

}  // namespace orvella::cli
