// The pure rule that keeps the list window on a screen.
#pragma once

struct ScreenRect {
  long left, top, right, bottom;
};

// The window's rectangle moved into the area when it does not lie entirely within it:
// shifted, and shrunk only where it is larger than the area; otherwise the same.
ScreenRect FitRectInArea(const ScreenRect& window, const ScreenRect& area);
