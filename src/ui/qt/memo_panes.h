// The four log panes as the windows' memos. The walk writes the debug log
// without letting messages run, so the debug memo repaints itself after
// each line while its window is visible.
#pragma once

#include <QPlainTextEdit>

#include "core/log_panes.h"

namespace orvella::qt {

class MemoPanes final : public LogPanes {
 public:
  MemoPanes(QPlainTextEdit* formatLog, QPlainTextEdit* debugLog, QPlainTextEdit* details, QPlainTextEdit* smart)
      : formatLog_(formatLog), debugLog_(debugLog), details_(details), smart_(smart) {}

  void AppendFormatLog(const std::u16string& line) override;
  void AppendDebugLog(const std::u16string& line) override;
  void AppendDetails(const std::u16string& line) override;
  void AppendSmart(const std::u16string& line) override;

 private:
  QPlainTextEdit* formatLog_;
  QPlainTextEdit* debugLog_;
  QPlainTextEdit* details_;
  QPlainTextEdit* smart_;
};

}  // namespace orvella::qt
