#include "saver/present_win32.h"

namespace saver {

namespace {
// Wine sends a window's drawing on whenever the thread looks at its input; asking for a key's
// state does that and is answered from the thread's own copy of the keys most of the time,
// without a call to Wine's server. On Windows the call only reads the key.
void SendDrawing() { GetAsyncKeyState(VK_LBUTTON); }
}  // namespace

void PresentRects(HDC to, HDC from, const std::vector<petals::PixelRect>& rects) {
    if (!to || !from) return;
    for (const petals::PixelRect& r : rects) BitBlt(to, r.left, r.top, r.Width(), r.Height(), from, r.left, r.top, SRCCOPY);
}

void PresentGrouped(HDC to, HDC from, const PresentGroups& groups) {
    if (!to || !from) return;
    const std::vector<petals::PixelRect>& rects = groups.rects();
    std::size_t i = 0;
    for (std::size_t g = 0; g < groups.boxes().size(); ++g) {
        for (; i < groups.end(g); ++i) {
            const petals::PixelRect& r = rects[i];
            BitBlt(to, r.left, r.top, r.Width(), r.Height(), from, r.left, r.top, SRCCOPY);
        }
        SendDrawing();
    }
}

}  // namespace saver
