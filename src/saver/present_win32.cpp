#include "saver/present_win32.h"

namespace saver {

void PresentRects(HDC to, HDC from, const std::vector<petals::PixelRect>& rects) {
    if (!to || !from) return;
    for (const petals::PixelRect& r : rects) BitBlt(to, r.left, r.top, r.Width(), r.Height(), from, r.left, r.top, SRCCOPY);
}

}  // namespace saver
