// Presenting the changed rectangles of the back buffer on the window.
#pragma once

#include <windows.h>

#include <vector>

#include "petals/pixels.h"
#include "saver/present_groups.h"

namespace saver {

// Copies `rects` of `from` to the same places on `to`, one copy each: of the ways measured
// (one clip region, a bounding box, merged rectangles), the cheapest.
void PresentRects(HDC to, HDC from, const std::vector<petals::PixelRect>& rects);

// Presents the groups' rectangles as PresentRects does, and after each group has the
// drawing sent on to the screen, so that each group travels apart (see present_groups.h).
void PresentGrouped(HDC to, HDC from, const PresentGroups& groups);

}  // namespace saver
