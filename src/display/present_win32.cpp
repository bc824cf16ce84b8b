#include "display/present_win32.h"

#include <cstring>

namespace display {

void Presenter::Present(HDC to, HDC from, const std::vector<PixelRect>& rects) {
    if (rects.empty() || !to || !from) return;
    if (mode_ == Mode::Rects || rects.size() == 1) {
        for (const PixelRect& r : rects)
            BitBlt(to, r.left, r.top, r.Width(), r.Height(), from, r.left, r.top, SRCCOPY);
        return;
    }
    PixelRect box;
    for (const PixelRect& r : rects) box = Union(box, r);
    const std::size_t size = sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT);
    if (regionData_.size() < size) regionData_.resize(size);
    auto* data = reinterpret_cast<RGNDATA*>(regionData_.data());
    data->rdh = RGNDATAHEADER{sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(rects.size()),
                              static_cast<DWORD>(rects.size() * sizeof(RECT)),
                              RECT{box.left, box.top, box.right, box.bottom}};
    RECT* out = reinterpret_cast<RECT*>(data->Buffer);
    for (std::size_t i = 0; i < rects.size(); ++i) out[i] = RECT{rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
    HRGN region = ExtCreateRegion(nullptr, static_cast<DWORD>(size), data);
    if (!region) {  // fall back to one copy per rectangle
        for (const PixelRect& r : rects)
            BitBlt(to, r.left, r.top, r.Width(), r.Height(), from, r.left, r.top, SRCCOPY);
        return;
    }
    SelectClipRgn(to, region);
    BitBlt(to, box.left, box.top, box.Width(), box.Height(), from, box.left, box.top, SRCCOPY);
    SelectClipRgn(to, nullptr);
    DeleteObject(region);
}

}  // namespace display
