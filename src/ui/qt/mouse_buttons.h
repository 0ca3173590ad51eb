// Qt's mouse buttons as the window logic names them.
#pragma once

#include <Qt>

#include "app/desktop.h"

namespace orvella::qt {

inline MouseButton ToMouseButton(Qt::MouseButton button) {
  if (button == Qt::LeftButton) return MouseButton::Left;
  if (button == Qt::RightButton) return MouseButton::Right;
  return MouseButton::Middle;
}

}  // namespace orvella::qt
