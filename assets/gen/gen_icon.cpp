// Draws the program icon: a five-petal cherry blossom, 256 colours, written as
// assets/icon/fluttera.ico: the 32 x 32 image first, then the same flower drawn at 40, 48
// and 64 pixels for screens at 125, 150 and 200 % (each an 8-bit image with its
// transparency mask).
#include "image_io.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kBase = 32;  // the flower's own units: the 32 x 32 image's pixels
constexpr int kSizes[] = {32, 40, 48, 64};
constexpr double kPi = 3.14159265358979;

// Coverage and colour of the flower at a point (sub-sampled by the caller).
bool Flower(double x, double y, gen::Rgb& c) {
    const double cx = 15.5, cy = 16.0;
    double dx = x - cx, dy = y - cy;
    double r = std::sqrt(dx * dx + dy * dy);
    double a = std::atan2(dy, dx) + kPi / 2;  // a petal points straight up
    // Angle within the nearest petal, -36..36 degrees.
    double seg = std::fmod(a + kPi * 2 + kPi / 5, 2 * kPi / 5) - kPi / 5;
    // Petal outline: rounded, widest two thirds out, with a notch at the tip.
    double edge = 14.5 * (0.55 + 0.45 * std::cos(seg * 2.2));
    double notch = 2.6 * std::exp(-seg * seg * 160.0);
    if (r > edge - notch) return false;
    double t = r / 14.5;
    // Pale at the tip, deeper pink towards the centre, a red-pink eye in the middle.
    double pr = 250 - 10 * (1 - t), pg = 200 - 70 * (1 - t), pb = 215 - 40 * (1 - t);
    if (r < 3.2) { pr = 200; pg = 60; pb = 100; }
    // Faint vein along the petal's middle.
    if (r > 4 && std::fabs(seg) < 0.05) { pr -= 15; pg -= 35; pb -= 20; }
    c = {static_cast<uint8_t>(pr), static_cast<uint8_t>(pg), static_cast<uint8_t>(pb)};
    return true;
}

// One image of the icon: its size, palette indexes (top row first) and opacity.
struct IconImage {
    int size;
    std::vector<gen::Rgb> palette;
    std::vector<uint8_t> index;
    std::vector<bool> opaque;
};

bool Draw(int size, IconImage& out) {
    gen::Image img(size, size, {0, 0, 0});
    std::vector<bool> opaque(size * size, false);
    const double unit = double(kBase) / size;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int hits = 0, r = 0, g = 0, b = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    gen::Rgb c;
                    if (Flower((x + (sx + 0.5) / 4) * unit, (y + (sy + 0.5) / 4) * unit, c)) {
                        ++hits; r += c.r; g += c.g; b += c.b;
                    }
                }
            if (hits >= 6) {
                opaque[y * size + x] = true;
                // Edge pixels darken a little so the outline reads on light backgrounds.
                double k = hits < 16 ? 0.85 : 1.0;
                img.at(x, y) = {static_cast<uint8_t>(r / hits * k), static_cast<uint8_t>(g / hits * k),
                                static_cast<uint8_t>(b / hits * k)};
            }
        }
    // Palette: the colours used, reduced to 6 bits a channel (few enough for 256).
    std::vector<gen::Rgb> palette{{0, 0, 0}};
    std::vector<uint8_t> index(size * size, 0);
    for (int i = 0; i < size * size; ++i) {
        if (!opaque[i]) continue;
        gen::Rgb c = img.px[i];
        c = {static_cast<uint8_t>(c.r & 0xFC), static_cast<uint8_t>(c.g & 0xFC), static_cast<uint8_t>(c.b & 0xFC)};
        size_t k = 0;
        while (k < palette.size() && !(palette[k].r == c.r && palette[k].g == c.g && palette[k].b == c.b)) ++k;
        if (k == palette.size()) {
            if (palette.size() == 256) { std::fprintf(stderr, "too many colours\n"); return false; }
            palette.push_back(c);
        }
        index[i] = static_cast<uint8_t>(k);
    }
    palette.resize(256);
    out = {size, palette, index, opaque};
    if (size == kBase) gen::WritePpm("/tmp/fluttera_icon.ppm", img);
    return true;
}

uint32_t MaskStride(int size) { return ((size + 31) / 32) * 4; }  // rows of the mask are 32-bit aligned
uint32_t ImageBytes(int size) { return 40 + 256 * 4 + size * size + MaskStride(size) * size; }

}  // namespace

int main() {
    std::vector<IconImage> images;
    for (int size : kSizes) {
        images.emplace_back();
        if (!Draw(size, images.back())) return 1;
    }
    std::FILE* f = std::fopen("assets/icon/fluttera.ico", "wb");
    if (!f) return 1;
    const auto count = static_cast<uint16_t>(images.size());
    gen::Put16(f, 0); gen::Put16(f, 1); gen::Put16(f, count);  // icon directory
    uint32_t offset = 6 + 16 * count;
    for (const IconImage& im : images) {
        std::fputc(im.size, f); std::fputc(im.size, f); std::fputc(0, f); std::fputc(0, f);
        gen::Put16(f, 1); gen::Put16(f, 8); gen::Put32(f, ImageBytes(im.size)); gen::Put32(f, offset);
        offset += ImageBytes(im.size);
    }
    for (const IconImage& im : images) {
        const int n = im.size;
        const uint32_t xorBytes = n * n, andBytes = MaskStride(n) * n;
        gen::Put32(f, 40); gen::Put32(f, n); gen::Put32(f, n * 2); gen::Put16(f, 1); gen::Put16(f, 8);
        gen::Put32(f, 0); gen::Put32(f, xorBytes + andBytes); gen::Put32(f, 0); gen::Put32(f, 0);
        gen::Put32(f, 256); gen::Put32(f, 0);
        for (const auto& c : im.palette) { std::fputc(c.b, f); std::fputc(c.g, f); std::fputc(c.r, f); std::fputc(0, f); }
        for (int y = n - 1; y >= 0; --y)
            for (int x = 0; x < n; ++x) std::fputc(im.index[y * n + x], f);
        for (int y = n - 1; y >= 0; --y)
            for (uint32_t byte = 0; byte < MaskStride(n); ++byte) {
                int bits = 0;
                for (int b = 0; b < 8; ++b) {
                    const int x = static_cast<int>(byte) * 8 + b;
                    if (x >= n || !im.opaque[y * n + x]) bits |= 0x80 >> b;
                }
                std::fputc(bits, f);
            }
    }
    return std::fclose(f) == 0 ? 0 : 1;
}
