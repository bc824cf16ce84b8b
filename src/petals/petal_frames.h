// The petal frames of the Linux hack, decoded from the BMPs compiled into it: the same
// 16 poses at each size the Windows program carries (16, 24, 32 and 48 pixels).
#pragma once

#include <cstdint>
#include <optional>

#include "petals/pixels.h"

namespace petals {

// The frames at this size in pixels; empty when any of the 32 bitmaps is missing, is not
// a BMP, or is not size x size.
std::optional<SpriteFrames> LoadPetalFrames(int32_t size);

}  // namespace petals
