#include "wayland/capture_pixels.h"

#include <cstddef>

namespace wayland {
namespace {

constexpr uint32_t kOpaque = 0xFF000000u;
constexpr uint32_t kRgb = 0x00FFFFFFu;

uint32_t Word(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// One pixel of the picture as 0xFFRRGGBB.
uint32_t Opaque(uint32_t word, bool blueFirst) {
    if (blueFirst) word = (word & 0xFF00FF00u) | (word & 0xFFu) << 16 | (word >> 16 & 0xFFu);
    return word | kOpaque;
}

// Where the picture (w x h, in the output's orientation) holds the desktop's pixel (u, v).
struct Point {
    int64_t x, y;
};
Point InPicture(uint32_t transform, int64_t u, int64_t v, int64_t w, int64_t h) {
    // The desktop is w x h, or h x w when the output is turned a quarter.
    const int64_t dw = transform % 2 ? h : w, dh = transform % 2 ? w : h;
    switch (transform) {
    case 1: return {v, dw - 1 - u};
    case 2: return {dw - 1 - u, dh - 1 - v};
    case 3: return {dh - 1 - v, u};
    case 4: return {dw - 1 - u, v};
    case 5: return {v, u};
    case 6: return {u, dh - 1 - v};
    case 7: return {dh - 1 - v, dw - 1 - u};
    default: return {u, v};
    }
}

}  // namespace

bool CaptureFormatKnown(uint32_t format) {
    return format == kShmArgb8888 || format == kShmXrgb8888 || format == kShmAbgr8888 || format == kShmXbgr8888;
}

bool FitCapture(const CapturedPicture& picture, const petals::PixelView& out) {
    if (!CaptureFormatKnown(picture.format) || !picture.data || picture.width <= 0 || picture.height <= 0 ||
        int64_t{picture.stride} < int64_t{picture.width} * 4)
        return false;
    if (picture.transform > 7) return false;
    const bool blueFirst = picture.format == kShmAbgr8888 || picture.format == kShmXbgr8888;
    const bool quarter = picture.transform % 2 != 0;
    const int64_t deskWidth = quarter ? picture.height : picture.width;
    const int64_t deskHeight = quarter ? picture.width : picture.height;
    for (int32_t y = 0; y < out.height; ++y) {
        const int64_t v = int64_t{y} * deskHeight / out.height;
        uint32_t* to = out.Row(y);
        for (int32_t x = 0; x < out.width; ++x) {
            const Point p = InPicture(picture.transform, int64_t{x} * deskWidth / out.width, v, picture.width, picture.height);
            const int64_t row = picture.yInvert ? picture.height - 1 - p.y : p.y;
            to[x] = Opaque(Word(picture.data + row * picture.stride + p.x * 4), blueFirst);
        }
    }
    return true;
}

void PrepareFrames(petals::SpriteFrames& frames, bool transparent) {
    const int32_t pixels = frames.size() * frames.size();
    for (int32_t k = 0; k < frames.count(); ++k) {
        uint32_t* mask = frames.Mask(k);
        uint32_t* sprite = frames.Sprite(k);
        for (int32_t i = 0; i < pixels; ++i) {
            if (!transparent) {
                mask[i] |= kOpaque;
            } else if ((mask[i] & kRgb) == kRgb) {  // outside the petal: the surface stays as it is
                mask[i] |= kOpaque;
                sprite[i] &= kRgb;
            } else {  // inside: the petal's colour, opaque
                mask[i] &= kRgb;
                sprite[i] |= kOpaque;
            }
        }
    }
}

}  // namespace wayland
