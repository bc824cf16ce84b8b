#include "petals/compositor.h"

#include <algorithm>

namespace petals {

namespace {

// What presenting one more rectangle costs, in pixels, until the front end says otherwise
// (each front end sets its own, measured on its own system).
constexpr int64_t kDefaultRectCost = 4096;

// One sweep: rectangles in order of their top edge, each joined to an earlier result if
// that pays. Results stay in order of their top edge (a union keeps the earlier top), so
// the search can stop at the first result that lies too far above to ever pay: one whose
// top is more than (tallest result + the gap that rectCost could bridge) above.
bool MergeSweep(std::vector<PixelRect>& rects, int64_t rectCost) {
    std::sort(rects.begin(), rects.end(), [](const PixelRect& a, const PixelRect& b) {
        return a.top != b.top ? a.top < b.top : a.left < b.left;
    });
    bool merged = false;
    std::size_t out = 0;
    int64_t tallest = 0;
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const PixelRect r = rects[i];
        if (r.Empty()) continue;
        const int64_t reach = tallest + (rectCost + r.Width() - 1) / r.Width();
        bool joined = false;
        for (std::size_t j = out; j-- > 0;) {
            if (int64_t{r.top} - rects[j].top > reach) break;
            const PixelRect u = Union(rects[j], r);
            if (u.Area() <= rects[j].Area() + r.Area() + rectCost) {
                rects[j] = u;
                tallest = std::max<int64_t>(tallest, u.Height());
                joined = merged = true;
                break;
            }
        }
        if (!joined) {
            rects[out++] = r;
            tallest = std::max<int64_t>(tallest, r.Height());
        }
    }
    rects.resize(out);
    return merged;
}

}  // namespace

void MergeRects(std::vector<PixelRect>& rects, int64_t rectCost) {
    // A union can make a new pair worth joining; a few sweeps catch nearly all of them,
    // and the cover is complete after any number of sweeps.
    for (int sweep = 0; sweep < 4 && MergeSweep(rects, std::max<int64_t>(rectCost, 0)); ++sweep) {
    }
}

Compositor::Compositor() : rectCost_(kDefaultRectCost) {}

void Compositor::Reserve(std::size_t sprites) {
    previous_.reserve(sprites);
    current_.reserve(sprites);
    present_.reserve(2 * sprites + 1);
}

void Compositor::BeginPass(const PixelView& snapshot, const PixelView& back) {
    bounds_ = back.Bounds();
    current_.clear();
    if (whole_) {
        CopyRect(snapshot, back, bounds_);
        return;
    }
    for (const PixelRect& r : previous_) CopyRect(snapshot, back, r);
}

void Compositor::Draw(const PixelView& back, const SpriteFrames& frames, const SpriteDraw* draws, std::size_t count,
                      const PixelRect& clip, int32_t originX, int32_t originY) {
    for (std::size_t i = 0; i < count; ++i) {
        const SpriteDraw& d = draws[i];
        // Positions past the int range are never drawn (a sprite there is off every screen).
        const int64_t x = int64_t{d.x} + originX, y = int64_t{d.y} + originY;
        if (x < INT32_MIN || x > INT32_MAX || y < INT32_MIN || y > INT32_MAX) continue;
        const PixelRect r = DrawSprite(back, frames, d.frame, static_cast<int32_t>(x), static_cast<int32_t>(y), clip);
        if (!r.Empty()) current_.push_back(r);
    }
}

const std::vector<PixelRect>& Compositor::EndPass() {
    present_.clear();
    if (whole_) {
        if (!bounds_.Empty()) present_.push_back(bounds_);
        whole_ = false;
    } else {
        present_.insert(present_.end(), previous_.begin(), previous_.end());
        present_.insert(present_.end(), current_.begin(), current_.end());
        MergeRects(present_, rectCost_);
    }
    previous_.swap(current_);
    current_.clear();
    return present_;
}

const std::vector<PixelRect>& Compositor::Pass(const PixelView& snapshot, const PixelView& back,
                                               const SpriteFrames& frames, const std::vector<SpriteDraw>& draws) {
    BeginPass(snapshot, back);
    Draw(back, frames, draws.data(), draws.size(), back.Bounds());
    return EndPass();
}

}  // namespace petals
