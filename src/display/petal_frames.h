// The petal frames of the Linux hack, decoded from the embedded BMPs: per frame a mask
// (white outside the petal, black inside) and a sprite (black outside, the petal's
// colours inside), as 0x00RRGGBB pixels, top row first.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "display/petal_model.h"

namespace display {

struct PetalFrames {
    int32_t size = 0;  // frames are size x size
    std::array<std::vector<uint32_t>, kSpriteFrames> masks, sprites;
};

// The frames at this size in pixels; empty when any of the 32 bitmaps is missing, is
// not a BMP, or is not size x size.
std::optional<PetalFrames> LoadPetalFrames(int32_t size);

}  // namespace display
