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

}  // namespace

bool CaptureFormatKnown(uint32_t format) {
    return format == kShmArgb8888 || format == kShmXrgb8888 || format == kShmAbgr8888 || format == kShmXbgr8888;
}

bool FitCapture(const CapturedPicture& picture, const petals::PixelView& out) {
    if (!CaptureFormatKnown(picture.format) || !picture.data || picture.width <= 0 || picture.height <= 0 ||
        int64_t{picture.stride} < int64_t{picture.width} * 4)
        return false;
    const bool blueFirst = picture.format == kShmAbgr8888 || picture.format == kShmXbgr8888;
    for (int32_t y = 0; y < out.height; ++y) {
        int64_t sy = int64_t{y} * picture.height / out.height;
        if (picture.yInvert) sy = picture.height - 1 - sy;
        const uint8_t* row = picture.data + static_cast<std::ptrdiff_t>(sy) * picture.stride;
        uint32_t* to = out.Row(y);
        for (int32_t x = 0; x < out.width; ++x) {
            const int64_t sx = int64_t{x} * picture.width / out.width;
            to[x] = Opaque(Word(row + sx * 4), blueFirst);
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
