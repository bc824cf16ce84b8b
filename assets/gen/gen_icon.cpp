// Draws the program icon: a five-petal cherry blossom, 32 x 32, 256 colours, written as
// assets/icon/fluttera.ico (one 8-bit image with its transparency mask).
#include "image_io.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kSize = 32;
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

}  // namespace

int main() {
    gen::Image img(kSize, kSize, {0, 0, 0});
    std::vector<bool> opaque(kSize * kSize, false);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            int hits = 0, r = 0, g = 0, b = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    gen::Rgb c;
                    if (Flower(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4, c)) { ++hits; r += c.r; g += c.g; b += c.b; }
                }
            if (hits >= 6) {
                opaque[y * kSize + x] = true;
                // Edge pixels darken a little so the outline reads on light backgrounds.
                double k = hits < 16 ? 0.85 : 1.0;
                img.at(x, y) = {static_cast<uint8_t>(r / hits * k), static_cast<uint8_t>(g / hits * k),
                                static_cast<uint8_t>(b / hits * k)};
            }
        }
    // Palette: the colours used, reduced to 6 bits a channel (few enough for 256).
    std::vector<gen::Rgb> palette{{0, 0, 0}};
    std::vector<uint8_t> index(kSize * kSize, 0);
    for (int i = 0; i < kSize * kSize; ++i) {
        if (!opaque[i]) continue;
        gen::Rgb c = img.px[i];
        c = {static_cast<uint8_t>(c.r & 0xFC), static_cast<uint8_t>(c.g & 0xFC), static_cast<uint8_t>(c.b & 0xFC)};
        size_t k = 0;
        while (k < palette.size() && !(palette[k].r == c.r && palette[k].g == c.g && palette[k].b == c.b)) ++k;
        if (k == palette.size()) {
            if (palette.size() == 256) { std::fprintf(stderr, "too many colours\n"); return 1; }
            palette.push_back(c);
        }
        index[i] = static_cast<uint8_t>(k);
    }
    palette.resize(256);

    std::FILE* f = std::fopen("assets/icon/fluttera.ico", "wb");
    if (!f) return 1;
    const uint32_t xorBytes = kSize * kSize, andBytes = kSize * 4;
    const uint32_t bytes = 40 + 256 * 4 + xorBytes + andBytes;
    gen::Put16(f, 0); gen::Put16(f, 1); gen::Put16(f, 1);  // icon directory, one image
    std::fputc(kSize, f); std::fputc(kSize, f); std::fputc(0, f); std::fputc(0, f);
    gen::Put16(f, 1); gen::Put16(f, 8); gen::Put32(f, bytes); gen::Put32(f, 22);
    gen::Put32(f, 40); gen::Put32(f, kSize); gen::Put32(f, kSize * 2); gen::Put16(f, 1); gen::Put16(f, 8);
    gen::Put32(f, 0); gen::Put32(f, xorBytes + andBytes); gen::Put32(f, 0); gen::Put32(f, 0);
    gen::Put32(f, 256); gen::Put32(f, 0);
    for (const auto& c : palette) { std::fputc(c.b, f); std::fputc(c.g, f); std::fputc(c.r, f); std::fputc(0, f); }
    for (int y = kSize - 1; y >= 0; --y)
        for (int x = 0; x < kSize; ++x) std::fputc(index[y * kSize + x], f);
    for (int y = kSize - 1; y >= 0; --y)
        for (int byte = 0; byte < 4; ++byte) {
            int bits = 0;
            for (int b = 0; b < 8; ++b)
                if (!opaque[y * kSize + byte * 8 + b]) bits |= 0x80 >> b;
            std::fputc(bits, f);
        }
    std::fclose(f);
    gen::WritePpm("/tmp/fluttera_icon.ppm", img);
    return 0;
}
