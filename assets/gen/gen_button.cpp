// Writes the six 64 x 25 state pictures of the Command button into assets/button/.
// Only the outer four pixels of each picture reach the screen (corners copied, edges
// stretched), so each picture is a four-pixel frame around a neutral interior.
//
// Build and run from the repository root:
//   g++ -O2 -std=c++17 -I assets/gen assets/gen/gen_button.cpp -o /tmp/gen_button && /tmp/gen_button
#include "image_io.h"

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

using gen::Image;
using gen::Rgb;

constexpr int kW = 64, kH = 25;
constexpr Rgb kNeutral{0x80, 0x80, 0x80};  // the interior is never drawn

constexpr Rgb Hex(uint32_t v) { return Rgb{uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }

Rgb Mix(Rgb a, Rgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto ch = [t](uint8_t x, uint8_t y) { return uint8_t(x + (y - x) * t + 0.5); };
    return {ch(a.r, b.r), ch(a.g, b.g), ch(a.b, b.b)};
}

// How far a pixel lies inside the picture's edge: 0 on the outermost ring.
int Inset(int x, int y) { return std::min({x, y, kW - 1 - x, kH - 1 - y}); }

enum class Side { Top, Bottom, Left, Right };
Side SideOf(int x, int y, int d) {
    if (y == d) return Side::Top;
    if (y == kH - 1 - d) return Side::Bottom;
    return x == d ? Side::Left : Side::Right;
}
bool IsRingCorner(int x, int y, int d) {
    return (x == d || x == kW - 1 - d) && (y == d || y == kH - 1 - d);
}

// A ring coloured by side: the top, the bottom, and the sides shading from `sideTop` to
// `sideBottom` down their length.
struct RingColours {
    Rgb top, bottom, sideTop, sideBottom;
};
Rgb RingColour(const RingColours& c, int x, int y, int d) {
    switch (SideOf(x, y, d)) {
        case Side::Top: return c.top;
        case Side::Bottom: return c.bottom;
        default: return Mix(c.sideTop, c.sideBottom, double(y - d - 1) / double(kH - 2 * d - 3));
    }
}
RingColours Flat(Rgb c) { return {c, c, c, c}; }

// The dark-blue outline on ring `d`, its corners softened into the ring outside it.
constexpr Rgb kOutline = Hex(0x003C74);
Rgb Outline(int x, int y, int d, Rgb outside) {
    return IsRingCorner(x, y, d) ? Mix(kOutline, outside, 0.5) : kOutline;
}

// A picture made of rings 0..3 given by `ring`, with `interior` inside.
Image Frame(const std::function<Rgb(int x, int y, int d)>& ring, Rgb interior = kNeutral) {
    Image img(kW, kH, interior);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            int d = Inset(x, y);
            if (d < 4) img.at(x, y) = ring(x, y, d);
        }
    return img;
}

constexpr Rgb kPaleRing = Hex(0xE0DCC9);
constexpr Rgb kPalerRing = Hex(0xECE9D8);

Image Normal() {
    return Frame([](int x, int y, int d) {
        if (d == 0) return kPaleRing;
        if (d == 1) return Outline(x, y, d, kPaleRing);
        // A light rim shading down from the top.
        return Mix(Hex(0xF3F3EE), Hex(0xD6D0C5), double(y - 2) / double(kH - 5));
    });
}

Image HighLight() {
    const RingColours outer{Hex(0xFFF0CF), Hex(0xE59700), Hex(0xFEDF9A), Hex(0xF9B435)};
    const RingColours inner{Hex(0xFDD889), Hex(0xF8B330), Hex(0xFEDF9A), Hex(0xF9B435)};
    return Frame([=](int x, int y, int d) {
        if (d == 0) return kPaleRing;
        if (d == 1) return Outline(x, y, d, kPaleRing);
        return RingColour(d == 2 ? outer : inner, x, y, d);
    });
}

Image Selected() {
    const RingColours rim{Hex(0xCEE7FF), Hex(0x6982EE), Hex(0xB7D0F4), Hex(0x8BADE4)};
    return Frame([=](int x, int y, int d) {
        if (d == 0) return kPaleRing;
        if (d == 1) return Outline(x, y, d, kPaleRing);
        return RingColour(rim, x, y, d);
    });
}

Image Pressed() {
    // The whole frame one pixel further in, with a grey shade inside the outline.
    const RingColours shade{Hex(0xD1CCC1), Hex(0xE6E3DA), Hex(0xD8D4CA), Hex(0xE3E0D6)};
    return Frame([=](int x, int y, int d) {
        if (d == 0) return kPalerRing;
        if (d == 1) return kPaleRing;
        if (d == 2) return Outline(x, y, d, kPaleRing);
        return RingColour(shade, x, y, d);
    });
}

Image Disable() {
    constexpr Rgb flat = Hex(0xF5F4EA);
    return Frame(
        [=](int, int, int d) {
            if (d == 0) return kPalerRing;
            if (d == 1) return Hex(0xC9C7BA);
            return flat;
        },
        flat);
}

}  // namespace

int main() {
    struct Out { const char* name; Image img; } outs[] = {
        {"normal", Normal()},     {"highlight", HighLight()}, {"highlightselect", HighLight()},
        {"selected", Selected()}, {"pressed", Pressed()},     {"disable", Disable()},
    };
    int failures = 0;
    for (const auto& o : outs) {
        std::string path = std::string("assets/button/") + o.name + ".bmp";
        if (!gen::WriteBmp24(path, o.img)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
