// Presenting the changed rectangles of the back buffer on the window.
#pragma once

#include <windows.h>

#include <vector>

#include "petals/pixels.h"

namespace saver {

// Copies `rects` of `from` to the same places on `to`, one copy each: of the ways measured
// (one clip region, a bounding box, merged rectangles), the cheapest.
void PresentRects(HDC to, HDC from, const std::vector<petals::PixelRect>& rects);

}  // namespace saver
