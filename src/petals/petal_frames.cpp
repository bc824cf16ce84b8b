#include "petals/petal_frames.h"

#include <algorithm>
#include <cstdio>

#include "petals/bmp_image.h"
#include "petals/embedded_assets.h"
#include "petals/petal_model.h"

namespace petals {
namespace {

// Names as in assets/petals: mask_00.bmp at 16 pixels, mask24_00.bmp at 24, and so on.
bool Frame(const char* kind, int32_t size, int32_t k, uint32_t* out) {
    char name[64];
    if (size == kSpriteSize) std::snprintf(name, sizeof name, "petals/%s_%02d.bmp", kind, static_cast<int>(k));
    else std::snprintf(name, sizeof name, "petals/%s%d_%02d.bmp", kind, static_cast<int>(size), static_cast<int>(k));
    const EmbeddedFile* file = FindEmbeddedFile(name);
    if (!file) return false;
    const std::optional<BmpImage> img = DecodeBmp24(file->data, file->size);
    if (!img || img->width != size || img->height != size) return false;
    std::copy(img->pixels.begin(), img->pixels.end(), out);
    return true;
}

}  // namespace

std::optional<SpriteFrames> LoadPetalFrames(int32_t size) {
    if (size <= 0 || size > 256) return std::nullopt;
    SpriteFrames frames(kSpriteFrames, size);
    for (int32_t k = 0; k < kSpriteFrames; ++k)
        if (!Frame("mask", size, k, frames.Mask(k)) || !Frame("sprite", size, k, frames.Sprite(k))) return std::nullopt;
    return frames;
}

}  // namespace petals
