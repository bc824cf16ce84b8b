// Draws the settings dialog's pictures:
//   assets/dialog/texture.bmp     556 x 20 light grey marble strip with fine horizontal streaks
//   assets/dialog/option_off.bmp  12 x 12 option indicator, not chosen
//   assets/dialog/option_on.bmp   12 x 12 option indicator, chosen
//   assets/dialog/hand.cur        32 x 32 monochrome pointing-hand cursor for the link line
// and the strip and the indicators drawn for 125, 150 and 200 % (texture_125.bmp,
// option_on_200.bmp, ...: 695 x 25, 834 x 30, 1112 x 40; 15, 18 and 24 pixels square).
// Run from the repository root.
#include "image_io.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979;

// A small fixed generator, so the pictures come out the same on every machine.
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed) {}
    double Next() {  // [0, 1)
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) / 16777216.0;
    }
    double Between(double lo, double hi) { return lo + (hi - lo) * Next(); }

private:
    uint32_t state_;
};

uint8_t Clamp8(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

// Marble-like grey: each row has its own brightness and slow waves along it, thin
// darker and lighter streaks run along the rows, and a little grain lies over all.
// The strip is stacked downwards when it is tiled, so rows are independent of each
// other and no seam shows between copies; it is wider than the panel it covers.
//
// Drawn for a scale, the same rows, waves and streaks are laid out over a strip that
// many times larger (a row as many pixels high, the waves and streaks sampled at each
// pixel's place along the 100 % row) with a grain of its own pixels: the same marble,
// sharp at that size.
struct TextureRow {
    double base;
    double waves[3][3];  // amplitude, frequency, phase
    struct Streak { double centre, half, depth; };
    std::vector<Streak> streaks;
    std::vector<double> grain;  // the 100 % strip's own, one per pixel
};

constexpr int kTextureW = 556, kTextureH = 20;

std::vector<TextureRow> TextureRows() {
    Random rnd(0x5EED1u);
    std::vector<TextureRow> rows(kTextureH);
    for (TextureRow& row : rows) {
        row.base = rnd.Between(-5, 5);
        for (auto& w : row.waves) {
            w[0] = rnd.Between(1.5, 4.0);                   // amplitude
            w[1] = 2 * kPi / rnd.Between(40, 260);          // frequency
            w[2] = rnd.Between(0, 2 * kPi);                 // phase
        }
        // Streaks: a few segments per row with soft ends.
        int streaks = 1 + static_cast<int>(rnd.Next() * 4);
        for (int s = 0; s < streaks; ++s) {
            TextureRow::Streak k;
            k.centre = rnd.Between(0, kTextureW);
            k.half = rnd.Between(20, 140);
            k.depth = rnd.Next() < 0.7 ? rnd.Between(-14, -6) : rnd.Between(5, 10);
            row.streaks.push_back(k);
        }
        for (int x = 0; x < kTextureW; ++x) row.grain.push_back(rnd.Between(-2.5, 2.5));
    }
    return rows;
}

gen::Image Texture(double scale) {
    const int w = static_cast<int>(std::nearbyint(kTextureW * scale));
    const int h = static_cast<int>(std::nearbyint(kTextureH * scale));
    const double target[3] = {199, 195, 194};
    const std::vector<TextureRow> rows = TextureRows();
    Random grain(0x6A41Eu);
    std::vector<double> lum(static_cast<size_t>(w) * h, 0.0);
    for (int y = 0; y < h; ++y) {
        const TextureRow& row = rows[std::min(kTextureH - 1, static_cast<int>(y / scale))];
        for (int px = 0; px < w; ++px) {
            const double x = (px + 0.5) / scale - 0.5;  // the place along the 100 % row
            double v = row.base;
            for (auto& wv : row.waves) v += wv[0] * std::sin(wv[1] * x + wv[2]);
            for (const auto& k : row.streaks) {
                double d = std::fabs(x - k.centre) / k.half;
                if (d < 1) v += k.depth * 0.5 * (1 + std::cos(kPi * d));
            }
            v += scale == 1.0 ? row.grain[px] : grain.Between(-2.5, 2.5);
            lum[static_cast<size_t>(y) * w + px] = v;
        }
    }
    // Dark streaks lean a little warmer, as veins in pale stone do; then each channel
    // is shifted so the strip's mean is the intended grey.
    std::vector<double> rgb[3];
    double mean[3] = {};
    for (double v : lum) {
        double warm = v < 0 ? -v * 0.08 : 0;
        const double c[3] = {v + warm, v, v - warm};
        for (int k = 0; k < 3; ++k) rgb[k].push_back(c[k]), mean[k] += c[k];
    }
    for (double& m : mean) m /= lum.size();
    gen::Image img(w, h);
    for (size_t i = 0; i < lum.size(); ++i)
        img.px[i] = {Clamp8(target[0] + rgb[0][i] - mean[0]), Clamp8(target[1] + rgb[1][i] - mean[1]),
                     Clamp8(target[2] + rgb[2][i] - mean[2])};
    return img;
}

// The indicator square: a grey outline around a light field; the chosen one has a blue
// square inside a light border. At 100 % it is 12 pixels with one-pixel lines; drawn for
// a scale, every band is as many whole pixels as the scale makes it.
gen::Image Indicator(bool chosen, double scale) {
    auto at = [scale](int v) { return static_cast<int>(std::nearbyint(v * scale)); };  // halves to even
    const int kS = at(12), line = at(1), blue = at(2);
    gen::Image img(kS, kS, {248, 248, 248});
    for (int y = 0; y < kS; ++y)
        for (int x = 0; x < kS; ++x) {
            const int inset = std::min({x, y, kS - 1 - x, kS - 1 - y});
            if (inset < line) {
                img.at(x, y) = {128, 128, 128};
            } else if (std::min(x, y) < 2 * line && std::max(x, y) < kS - line) {
                // A faint inner shadow under the top and left outline gives the square some depth.
                img.at(x, y) = {226, 226, 226};
            }
        }
    if (chosen) {
        for (int y = blue; y < kS - blue; ++y)
            for (int x = blue; x < kS - blue; ++x) {
                double t = (y - blue) / double(kS - 2 * blue - 1);  // lighter at the top
                img.at(x, y) = {Clamp8(70 - 45 * t), Clamp8(130 - 60 * t), Clamp8(235 - 45 * t)};
            }
    }
    return img;
}

// The pointing hand: '#' black, '.' white, ' ' see-through, '@' the black fingertip
// pixel that is the hot spot.
const char* const kHand[] = {
    "     @#           ",
    "    #..#          ",
    "    #..#          ",
    "    #..#          ",
    "    #..#          ",
    "    #..###        ",
    "    #..#..###     ",
    "    #..#..#..##   ",
    "    #..#..#..#.#  ",
    " ## #..#..#..#..# ",
    "#..##..........#  ",
    "#...#..........#  ",
    " #.............#  ",
    "  #............#  ",
    "  #...........#   ",
    "   #..........#   ",
    "   #.........#    ",
    "    #........#    ",
    "    #........#    ",
    "    ##########    ",
};
constexpr int kHandLeft = 4, kHandTop = 1;  // where the drawing sits in the 32 x 32 cell

bool WriteCursor(const char* path) {
    constexpr int kS = 32;
    // Rows of 32 bits, top row first; bit 31 is the leftmost pixel.
    uint32_t xorBits[kS] = {}, andBits[kS];
    std::fill(std::begin(andBits), std::end(andBits), 0xFFFFFFFFu);
    int hotX = -1, hotY = -1;
    const int rows = sizeof(kHand) / sizeof(kHand[0]);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; kHand[r][c]; ++c) {
            char ch = kHand[r][c];
            if (ch == ' ') continue;
            int x = kHandLeft + c, y = kHandTop + r;
            uint32_t bit = 0x80000000u >> x;
            andBits[y] &= ~bit;                 // opaque
            if (ch == '.') xorBits[y] |= bit;   // white; black otherwise
            if (ch == '@') hotX = x, hotY = y;
        }
    std::FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    const uint32_t bytes = 40 + 8 + kS * 4 * 2;
    gen::Put16(f, 0); gen::Put16(f, 2); gen::Put16(f, 1);  // cursor directory, one image
    std::fputc(kS, f); std::fputc(kS, f); std::fputc(2, f); std::fputc(0, f);
    gen::Put16(f, static_cast<uint16_t>(hotX)); gen::Put16(f, static_cast<uint16_t>(hotY));
    gen::Put32(f, bytes); gen::Put32(f, 22);
    // The image: colour bits above the mask bits, hence twice the height.
    gen::Put32(f, 40); gen::Put32(f, kS); gen::Put32(f, kS * 2); gen::Put16(f, 1); gen::Put16(f, 1);
    gen::Put32(f, 0); gen::Put32(f, kS * 4 * 2); gen::Put32(f, 0); gen::Put32(f, 0); gen::Put32(f, 2); gen::Put32(f, 0);
    gen::Put32(f, 0x00000000); gen::Put32(f, 0x00FFFFFF);  // black, white
    auto putRow = [f](uint32_t bits) {
        for (int shift = 24; shift >= 0; shift -= 8) std::fputc((bits >> shift) & 0xFF, f);
    };
    for (int y = kS - 1; y >= 0; --y) putRow(xorBits[y]);  // bottom-up
    for (int y = kS - 1; y >= 0; --y) putRow(andBits[y]);
    return std::fclose(f) == 0;
}

}  // namespace

int main() {
    bool ok = WriteCursor("assets/dialog/hand.cur");
    // 100 % carries no suffix.
    const struct { double scale; const char* suffix; } sets[] = {
        {1.0, ""}, {1.25, "_125"}, {1.5, "_150"}, {2.0, "_200"}};
    for (const auto& set : sets) {
        const std::string end = std::string(set.suffix) + ".bmp";
        ok = gen::WriteBmp24("assets/dialog/texture" + end, Texture(set.scale)) && ok;
        ok = gen::WriteBmp24("assets/dialog/option_off" + end, Indicator(false, set.scale)) && ok;
        ok = gen::WriteBmp24("assets/dialog/option_on" + end, Indicator(true, set.scale)) && ok;
    }
    if (!ok) std::fprintf(stderr, "gen_dialog: cannot write assets/dialog (run from the repository root)\n");
    return ok ? 0 : 1;
}
