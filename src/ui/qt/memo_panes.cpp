#include "ui/qt/memo_panes.h"

#include "ui/qt/qt_text.h"

namespace orvella::qt {

void MemoPanes::AppendFormatLog(const std::u16string& line) { formatLog_->appendPlainText(ToQt(line)); }

void MemoPanes::AppendDebugLog(const std::u16string& line) {
  debugLog_->appendPlainText(ToQt(line));
  if (debugLog_->isVisible()) debugLog_->viewport()->repaint();
}

void MemoPanes::AppendDetails(const std::u16string& line) { details_->appendPlainText(ToQt(line)); }

void MemoPanes::AppendSmart(const std::u16string& line) { smart_->appendPlainText(ToQt(line)); }

}  // namespace orvella::qt
