#include "region_present_win32.h"

#include "saver/present_win32.h"

namespace bench {

using petals::PixelRect;

void RegionPresenter::Present(HDC to, HDC from, const std::vector<PixelRect>& rects) {
    if (rects.empty() || !to || !from) return;
    if (rects.size() == 1) return saver::PresentRects(to, from, rects);
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
    if (!region) return saver::PresentRects(to, from, rects);  // one copy per rectangle instead
    SelectClipRgn(to, region);
    BitBlt(to, box.left, box.top, box.Width(), box.Height(), from, box.left, box.top, SRCCOPY);
    SelectClipRgn(to, nullptr);
    DeleteObject(region);
}

}  // namespace bench
