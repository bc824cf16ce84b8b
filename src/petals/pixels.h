// Pictures in memory as the saver draws them: 32-bit pixels (0x00RRGGBB), rows top-down,
// and the two operations a pass needs: copying a rectangle from one picture to another,
// and drawing a petal sprite through its mask. The drawing gives bit for bit what GDI's
// SRCAND then SRCINVERT copies give, so the Windows window and the X11 front end show
// the same picture without a system call per petal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace petals {

// Half-open: left <= x < right, top <= y < bottom.
struct PixelRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;

    bool Empty() const { return left >= right || top >= bottom; }
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    int64_t Area() const { return Empty() ? 0 : int64_t{Width()} * Height(); }
    bool operator==(const PixelRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

PixelRect Intersect(const PixelRect& a, const PixelRect& b);
// The smallest rectangle holding both; an empty one adds nothing.
PixelRect Union(const PixelRect& a, const PixelRect& b);

// A picture someone else owns: `stride` is the distance between rows, in pixels.
struct PixelView {
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;

    uint32_t* Row(int32_t y) const { return pixels + static_cast<std::ptrdiff_t>(y) * stride; }
    PixelRect Bounds() const { return PixelRect{0, 0, width, height}; }
};

// Copies `rect` of `from` to the same place in `to`, clipped to both pictures.
void CopyRect(const PixelView& from, const PixelView& to, const PixelRect& rect);

// The petal's poses: `count` frames, each a square mask and sprite of `size` pixels.
// The mask is white (all bits set) outside the petal and black inside; the sprite is black
// outside and the petal's colours inside.
class SpriteFrames {
public:
    SpriteFrames() = default;
    SpriteFrames(int32_t count, int32_t size);

    int32_t count() const { return count_; }
    int32_t size() const { return size_; }
    // size x size pixels each, rows top-down; writable, to fill them.
    uint32_t* Mask(int32_t frame) { return masks_.data() + Offset(frame); }
    uint32_t* Sprite(int32_t frame) { return sprites_.data() + Offset(frame); }
    const uint32_t* Mask(int32_t frame) const { return masks_.data() + Offset(frame); }
    const uint32_t* Sprite(int32_t frame) const { return sprites_.data() + Offset(frame); }

    // The part of a frame that a draw changes, relative to its top-left corner: outside it
    // the mask keeps every colour bit and the sprite is 0, so drawing there changes no
    // colour. The whole square until FitBoxes; empty for a frame that changes nothing.
    const PixelRect& Box(int32_t frame) const { return boxes_[static_cast<std::size_t>(frame)]; }
    // Finds every frame's box from its pixels, once they are final; writing pixels after
    // this leaves the boxes as they were. (The top byte is not part of a picture's colour:
    // a mask may clear it anywhere without widening the box.)
    void FitBoxes();

private:
    std::size_t Offset(int32_t frame) const { return static_cast<std::size_t>(frame) * size_ * size_; }
    int32_t count_ = 0, size_ = 0;
    std::vector<uint32_t> masks_, sprites_;
    std::vector<PixelRect> boxes_;
};

// Draws frame `frame` with its top-left corner at (x, y): each pixel ANDed with the mask,
// then XORed with the sprite, within `clip` and the picture only (clipped, never wrapped),
// and within the frame's box (the colours are the same as drawing the whole square).
// Returns the rectangle it changed, empty when nothing was drawn (a frame that does not
// exist draws nothing).
PixelRect DrawSprite(const PixelView& into, const SpriteFrames& frames, int32_t frame, int32_t x, int32_t y,
                     const PixelRect& clip);

}  // namespace petals
