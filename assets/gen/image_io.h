// Tiny image helpers for the asset generators: an RGB raster and writers for the
// formats the program stores (24-bit BMP, and PPM for conversion to JPEG/PNG).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace gen {

struct Rgb { uint8_t r = 0, g = 0, b = 0; };

struct Image {
    int width = 0, height = 0;
    std::vector<Rgb> px;
    Image(int w, int h, Rgb fill = {}) : width(w), height(h), px(static_cast<size_t>(w) * h, fill) {}
    Rgb& at(int x, int y) { return px[static_cast<size_t>(y) * width + x]; }
    const Rgb& at(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
};

inline void Put16(std::FILE* f, uint16_t v) { std::fputc(v & 0xFF, f); std::fputc(v >> 8, f); }
inline void Put32(std::FILE* f, uint32_t v) { Put16(f, v & 0xFFFF); Put16(f, v >> 16); }

// Bottom-up 24-bit BMP with BITMAPINFOHEADER, rows padded to 4 bytes.
inline bool WriteBmp24(const std::string& path, const Image& img) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const uint32_t stride = (static_cast<uint32_t>(img.width) * 3 + 3) & ~3u;
    const uint32_t dataSize = stride * img.height;
    std::fputc('B', f); std::fputc('M', f);
    Put32(f, 54 + dataSize); Put32(f, 0); Put32(f, 54);
    Put32(f, 40); Put32(f, img.width); Put32(f, img.height); Put16(f, 1); Put16(f, 24);
    Put32(f, 0); Put32(f, dataSize); Put32(f, 2835); Put32(f, 2835); Put32(f, 0); Put32(f, 0);
    for (int y = img.height - 1; y >= 0; --y) {
        uint32_t n = 0;
        for (int x = 0; x < img.width; ++x, n += 3) {
            const Rgb& p = img.at(x, y);
            std::fputc(p.b, f); std::fputc(p.g, f); std::fputc(p.r, f);
        }
        for (; n < stride; ++n) std::fputc(0, f);
    }
    return std::fclose(f) == 0;
}

// Binary PPM (P6); ImageMagick turns it into JPEG or PNG.
inline bool WritePpm(const std::string& path, const Image& img) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", img.width, img.height);
    for (const Rgb& p : img.px) { std::fputc(p.r, f); std::fputc(p.g, f); std::fputc(p.b, f); }
    return std::fclose(f) == 0;
}

}  // namespace gen
