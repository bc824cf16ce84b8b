#include "display/petal_frames.h"

#include <cstdio>

#include "display/bmp_image.h"
#include "display/embedded_assets.h"

namespace display {
namespace {

std::optional<std::vector<uint32_t>> Frame(const char* kind, int32_t size, int32_t k) {
    char name[64];
    if (size == kSpriteSize) std::snprintf(name, sizeof name, "petals/%s_%02d.bmp", kind, static_cast<int>(k));
    else std::snprintf(name, sizeof name, "petals/%d/%s_%02d.bmp", static_cast<int>(size), kind, static_cast<int>(k));
    const EmbeddedFile* file = FindEmbeddedFile(name);
    if (!file) return std::nullopt;
    std::optional<BmpImage> img = DecodeBmp24(file->data, file->size);
    if (!img || img->width != size || img->height != size) return std::nullopt;
    return std::move(img->pixels);
}

}  // namespace

std::optional<PetalFrames> LoadPetalFrames(int32_t size) {
    PetalFrames frames;
    frames.size = size;
    for (int32_t k = 0; k < kSpriteFrames; ++k) {
        auto mask = Frame("mask", size, k);
        auto sprite = Frame("sprite", size, k);
        if (!mask || !sprite) return std::nullopt;
        frames.masks[static_cast<size_t>(k)] = std::move(*mask);
        frames.sprites[static_cast<size_t>(k)] = std::move(*sprite);
    }
    return frames;
}

}  // namespace display
