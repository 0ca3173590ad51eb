#include "ui/qt/state_progress_bar.h"

namespace orvella::qt {
namespace {

QString StyleFor(ProgressState state) {
  const char* chunk = "#06b025";  // normal: green
  if (state == ProgressState::Paused) chunk = "#d8c000";
  if (state == ProgressState::Error) chunk = "#d42020";
  return QStringLiteral(
             "QProgressBar { border: 1px solid palette(mid); border-radius: 2px; background: palette(base); }"
             "QProgressBar::chunk { background-color: %1; }")
      .arg(QLatin1String(chunk));
}

}  // namespace

const char* ProgressStateName(ProgressState state) {
  switch (state) {
    case ProgressState::Normal: return "normal";
    case ProgressState::Paused: return "paused";
    case ProgressState::Error: return "error";
  }
  return "normal";
}

StateProgressBar::StateProgressBar(const QString& objectName, QWidget* parent) : QProgressBar(parent) {
  setObjectName(objectName);
  setRange(0, 100);
  setValue(0);
  setTextVisible(false);
  SetState(ProgressState::Normal);
}

void StateProgressBar::SetState(ProgressState state) {
  state_ = state;
  setProperty("state", QLatin1String(ProgressStateName(state)));
  setStyleSheet(StyleFor(state));
}

}  // namespace orvella::qt
