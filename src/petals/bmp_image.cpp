#include "petals/bmp_image.h"

namespace petals {
namespace {

uint32_t Le(const uint8_t* d, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | d[at + static_cast<size_t>(i)];
    return v;
}

}  // namespace

std::optional<BmpImage> DecodeBmp24(const uint8_t* d, size_t size) {
    if (!d || size < 54 || d[0] != 'B' || d[1] != 'M') return std::nullopt;
    const uint32_t offset = Le(d, 10, 4);
    const uint32_t header = Le(d, 14, 4);
    const int32_t width = static_cast<int32_t>(Le(d, 18, 4));
    const int32_t rawHeight = static_cast<int32_t>(Le(d, 22, 4));
    if (header < 40 || Le(d, 26, 2) != 1 || Le(d, 28, 2) != 24 || Le(d, 30, 4) != 0) return std::nullopt;
    if (width <= 0 || width > 4096 || rawHeight == 0 || rawHeight < -4096 || rawHeight > 4096) return std::nullopt;
    const int32_t height = rawHeight < 0 ? -rawHeight : rawHeight;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    if (offset < 54 || offset > size || (size - offset) / stride < static_cast<size_t>(height)) return std::nullopt;

    BmpImage img;
    img.width = width;
    img.height = height;
    img.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y) {
        const int32_t fileRow = rawHeight > 0 ? height - 1 - y : y;  // positive height: bottom-up
        const uint8_t* row = d + offset + stride * static_cast<size_t>(fileRow);
        uint32_t* out = &img.pixels[static_cast<size_t>(y) * static_cast<size_t>(width)];
        for (int32_t x = 0; x < width; ++x, row += 3)
            out[x] = (uint32_t{row[2]} << 16) | (uint32_t{row[1]} << 8) | row[0];
    }
    return img;
}

}  // namespace petals
