// Disabled controls that look disabled in every palette. A palette built
// by setting each role once (as dark palettes often are) gives the
// disabled group the same text colours as the active one, so a disabled
// Stop button reads exactly like an enabled one. Where that is so, the
// disabled text is drawn half-way between the text and its background.
#pragma once

#include <QPalette>

namespace orvella::qt {

// `palette` with every disabled text colour that equals its active one
// moved half-way towards the background it is drawn on; the other
// colours as they were.
QPalette WithDimmedDisabledText(QPalette palette);

// Applies WithDimmedDisabledText to the application's palette, where it
// changes anything.
void DimDisabledTextOfApplication();

}  // namespace orvella::qt
