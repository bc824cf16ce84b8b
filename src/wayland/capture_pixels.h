// The pixels of the Wayland front end that need no compositor: a screencopy picture made
// into an output's still backdrop, and the petal frames made for the kind of surface they
// are drawn on (over a still picture, or over the live desktop through transparency).
#pragma once

#include <cstdint>

#include "petals/pixels.h"

namespace wayland {

// wl_shm.format values: the two every compositor has, and their blue-first kin.
constexpr uint32_t kShmArgb8888 = 0;
constexpr uint32_t kShmXrgb8888 = 1;
constexpr uint32_t kShmAbgr8888 = 0x34324241;  // fourcc "AB24"
constexpr uint32_t kShmXbgr8888 = 0x34324258;  // fourcc "XB24"

bool CaptureFormatKnown(uint32_t format);

// A picture as screencopy filled it: 32-bit little-endian words in `format`, `stride` bytes
// a row, bottom row first when yInvert; in the output's own orientation, which shows the
// desktop turned by `transform` (a wl_output.transform: 1 to 3 turn it 90, 180 or 270
// degrees counter-clockwise, 4 to 7 mirror it left to right first).
struct CapturedPicture {
    const uint8_t* data = nullptr;
    uint32_t format = kShmXrgb8888;
    int32_t width = 0, height = 0, stride = 0;
    bool yInvert = false;
    uint32_t transform = 0;
};

// Fills `out` with the desktop the picture shows, upright, as opaque 0xFFRRGGBB pixels,
// top row first. A picture of another size is stretched to `out` by the nearest pixel: an
// output at a fractional scale whose surface is drawn at the next whole scale shows it
// back at its own size. False, with `out` untouched, for an unknown format or transform,
// or a picture its stride cannot hold.
bool FitCapture(const CapturedPicture& picture, const petals::PixelView& out);

// Gives the petal frames the alpha byte of the surface they are drawn on. Over a still
// picture (opaque): every mask pixel keeps the alpha, so the backdrop stays opaque under
// the AND. Over a transparent surface: the mask clears the alpha inside the petal and the
// sprite sets it there, so the petal is opaque and all around it stays see-through.
void PrepareFrames(petals::SpriteFrames& frames, bool transparent);

}  // namespace wayland
