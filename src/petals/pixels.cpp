#include "petals/pixels.h"

#include <algorithm>
#include <cstring>

namespace petals {

PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
    PixelRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
    return r.Empty() ? PixelRect{} : r;
}

PixelRect Union(const PixelRect& a, const PixelRect& b) {
    if (a.Empty()) return b.Empty() ? PixelRect{} : b;
    if (b.Empty()) return a;
    return PixelRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                     std::max(a.bottom, b.bottom)};
}

namespace {

// A petal's rows are a few dozen bytes: copied here in 16-byte moves rather than by a call
// into the C library per row (under Wine, into a memcpy that is slow to start). Wide rows
// (the whole picture) still go to memcpy.
constexpr int32_t kShortRow = 64;

void CopyShortRow(uint32_t* to, const uint32_t* from, int32_t width) {
    int32_t i = 0;
    for (; i + 4 <= width; i += 4) std::memcpy(to + i, from + i, 16);
    if (width & 2) {
        std::memcpy(to + i, from + i, 8);
        i += 2;
    }
    if (width & 1) to[i] = from[i];
}

}  // namespace

void CopyRect(const PixelView& from, const PixelView& to, const PixelRect& rect) {
    const PixelRect r = Intersect(Intersect(rect, from.Bounds()), to.Bounds());
    if (r.Empty()) return;
    const int32_t width = r.Width();
    if (width <= kShortRow) {
        for (int32_t y = r.top; y < r.bottom; ++y) CopyShortRow(to.Row(y) + r.left, from.Row(y) + r.left, width);
        return;
    }
    const std::size_t bytes = static_cast<std::size_t>(width) * sizeof(uint32_t);
    for (int32_t y = r.top; y < r.bottom; ++y) std::memcpy(to.Row(y) + r.left, from.Row(y) + r.left, bytes);
}

SpriteFrames::SpriteFrames(int32_t count, int32_t size)
    : count_(std::max(count, 0)), size_(std::max(size, 0)),
      masks_(static_cast<std::size_t>(count_) * size_ * size_, 0xFFFFFFFFu),
      sprites_(static_cast<std::size_t>(count_) * size_ * size_, 0u),
      boxes_(static_cast<std::size_t>(count_), PixelRect{0, 0, size_, size_}) {}

void SpriteFrames::FitBoxes() {
    constexpr uint32_t kColour = 0x00FFFFFFu;
    for (int32_t k = 0; k < count_; ++k) {
        const uint32_t* mask = Mask(k);
        const uint32_t* sprite = Sprite(k);
        PixelRect box;
        for (int32_t y = 0; y < size_; ++y)
            for (int32_t x = 0; x < size_; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * size_ + x;
                if ((mask[i] & kColour) == kColour && sprite[i] == 0) continue;
                box = Union(box, PixelRect{x, y, x + 1, y + 1});
            }
        boxes_[static_cast<std::size_t>(k)] = box;
    }
}

PixelRect DrawSprite(const PixelView& into, const SpriteFrames& frames, int32_t frame, int32_t x, int32_t y,
                     const PixelRect& clip) {
    if (frame < 0 || frame >= frames.count()) return PixelRect{};
    const int32_t size = frames.size();
    const PixelRect& box = frames.Box(frame);
    // 64-bit edges, so a sprite near the ends of the int range cannot overflow.
    const int64_t left = std::max<int64_t>({int64_t{x} + box.left, clip.left, 0});
    const int64_t top = std::max<int64_t>({int64_t{y} + box.top, clip.top, 0});
    const int64_t right = std::min<int64_t>({int64_t{x} + box.right, clip.right, into.width});
    const int64_t bottom = std::min<int64_t>({int64_t{y} + box.bottom, clip.bottom, into.height});
    if (left >= right || top >= bottom) return PixelRect{};
    const PixelRect r{static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right),
                      static_cast<int32_t>(bottom)};
    const uint32_t* mask = frames.Mask(frame);
    const uint32_t* sprite = frames.Sprite(frame);
    const int32_t width = r.Width();
    for (int32_t row = r.top; row < r.bottom; ++row) {
        const std::size_t at = static_cast<std::size_t>(row - y) * size + static_cast<std::size_t>(r.left - x);
        const uint32_t* m = mask + at;
        const uint32_t* s = sprite + at;
        uint32_t* d = into.Row(row) + r.left;
        for (int32_t i = 0; i < width; ++i) d[i] = (d[i] & m[i]) ^ s[i];
    }
    return r;
}

}  // namespace petals
