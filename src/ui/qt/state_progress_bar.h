// A progress bar with the normal, paused and error states of the system's
// progress bars: green, yellow and red, so a paused run reads at a glance.
#pragma once

#include <QProgressBar>

#include "format/format_page_view.h"

namespace orvella::qt {

class StateProgressBar : public QProgressBar {
 public:
  StateProgressBar(const QString& objectName, QWidget* parent);
  void SetState(ProgressState state);
  ProgressState State() const { return state_; }

 private:
  ProgressState state_ = ProgressState::Normal;
};

// "normal", "paused" or "error": the bar's "state" property, for style
// sheets and tests.
const char* ProgressStateName(ProgressState state);

}  // namespace orvella::qt
