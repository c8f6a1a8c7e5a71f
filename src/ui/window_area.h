// The pure rule that keeps the list window on a screen.
#pragma once

struct ScreenRect {
  long left, top, right, bottom;
};

// The window's rectangle as it is while its caption can be reached in the area (its top edge
// in it, and at least grab pixels of it wide; a place the user chose partly off the screen
// stays); otherwise moved into the area: shifted, and shrunk only where it is larger.
ScreenRect FitRectInArea(const ScreenRect& window, const ScreenRect& area, long grab);
