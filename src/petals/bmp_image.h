// Reads the uncompressed 24-bit BMPs the petal frames are stored in, so the Linux hack
// draws exactly the pixels the Windows program loads from its resources.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace petals {

struct BmpImage {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
};

// Empty for anything but a whole, uncompressed 24-bit BMP (bottom-up or top-down) of at
// most 4096 x 4096 pixels; never reads past `size`.
std::optional<BmpImage> DecodeBmp24(const uint8_t* data, size_t size);

}  // namespace petals
