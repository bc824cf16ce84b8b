// Draws the settings dialog's pictures:
//   assets/dialog/texture.bmp     556 x 20 light grey marble strip with fine horizontal streaks
//   assets/dialog/option_off.bmp  12 x 12 option indicator, not chosen
//   assets/dialog/option_on.bmp   12 x 12 option indicator, chosen
//   assets/dialog/hand.cur        32 x 32 monochrome pointing-hand cursor for the link line
// Run from the repository root.
#include "image_io.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
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
gen::Image Texture() {
    constexpr int kW = 556, kH = 20;
    const double target[3] = {199, 195, 194};
    Random rnd(0x5EED1u);
    std::vector<double> lum(kW * kH, 0.0);
    for (int y = 0; y < kH; ++y) {
        double rowBase = rnd.Between(-5, 5);
        double waves[3][3];
        for (auto& w : waves) {
            w[0] = rnd.Between(1.5, 4.0);                   // amplitude
            w[1] = 2 * kPi / rnd.Between(40, 260);          // frequency
            w[2] = rnd.Between(0, 2 * kPi);                 // phase
        }
        for (int x = 0; x < kW; ++x) {
            double v = rowBase;
            for (auto& w : waves) v += w[0] * std::sin(w[1] * x + w[2]);
            lum[y * kW + x] = v;
        }
        // Streaks: a few segments per row with soft ends.
        int streaks = 1 + static_cast<int>(rnd.Next() * 4);
        for (int s = 0; s < streaks; ++s) {
            double centre = rnd.Between(0, kW), half = rnd.Between(20, 140);
            double depth = rnd.Next() < 0.7 ? rnd.Between(-14, -6) : rnd.Between(5, 10);
            for (int x = 0; x < kW; ++x) {
                double d = std::fabs(x - centre) / half;
                if (d < 1) lum[y * kW + x] += depth * 0.5 * (1 + std::cos(kPi * d));
            }
        }
        for (int x = 0; x < kW; ++x) lum[y * kW + x] += rnd.Between(-2.5, 2.5);
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
    gen::Image img(kW, kH);
    for (int i = 0; i < kW * kH; ++i)
        img.px[i] = {Clamp8(target[0] + rgb[0][i] - mean[0]), Clamp8(target[1] + rgb[1][i] - mean[1]),
                     Clamp8(target[2] + rgb[2][i] - mean[2])};
    return img;
}

// The indicator square: a grey outline around a light field; the chosen one has a blue
// square inside a one-pixel light border.
gen::Image Indicator(bool chosen) {
    constexpr int kS = 12;
    gen::Image img(kS, kS, {248, 248, 248});
    for (int i = 0; i < kS; ++i) {
        img.at(i, 0) = img.at(i, kS - 1) = img.at(0, i) = img.at(kS - 1, i) = {128, 128, 128};
    }
    // A faint inner shadow under the top and left outline gives the square some depth.
    for (int i = 1; i < kS - 1; ++i) img.at(i, 1) = img.at(1, i) = {226, 226, 226};
    if (chosen) {
        for (int y = 2; y < kS - 2; ++y)
            for (int x = 2; x < kS - 2; ++x) {
                double t = (y - 2) / 7.0;  // lighter at the top
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
    bool ok = gen::WriteBmp24("assets/dialog/texture.bmp", Texture()) &&
              gen::WriteBmp24("assets/dialog/option_off.bmp", Indicator(false)) &&
              gen::WriteBmp24("assets/dialog/option_on.bmp", Indicator(true)) &&
              WriteCursor("assets/dialog/hand.cur");
    if (!ok) std::fprintf(stderr, "gen_dialog: cannot write assets/dialog (run from the repository root)\n");
    return ok ? 0 : 1;
}
