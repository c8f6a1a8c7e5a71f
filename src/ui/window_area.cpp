#include "window_area.h"

#include <algorithm>

ScreenRect FitRectInArea(const ScreenRect& window, const ScreenRect& area, long grab) {
  long overlap = std::min(window.right, area.right) - std::max(window.left, area.left);
  if (window.top >= area.top && window.top <= area.bottom - grab && overlap >= grab) return window;
  long width = std::min(window.right - window.left, area.right - area.left);
  long height = std::min(window.bottom - window.top, area.bottom - area.top);
  long left = std::max(area.left, std::min(window.left, area.right - width));
  long top = std::max(area.top, std::min(window.top, area.bottom - height));
  return {left, top, left + width, top + height};
}
