// Writes the six state pictures of the Command button into assets/button/: 64 x 25 pixels
// for 100 % (normal.bmp, ...), and the same frames drawn for 125, 150 and 200 % at 80 x 31,
// 96 x 38 and 128 x 50 (normal_125.bmp, ...). Only the outer four pixels of the 100 %
// picture (five, six and eight of the others) reach the screen: corners copied, edges
// stretched. So each picture is a frame of four rings around a neutral interior; drawn
// for a scale, each ring is as thick as that scale makes it, with whole-pixel edges.
//
// Build and run from the repository root:
//   g++ -O2 -std=c++17 -I assets/gen assets/gen/gen_button.cpp -o /tmp/gen_button && /tmp/gen_button
#include "image_io.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

using gen::Image;
using gen::Rgb;

constexpr Rgb kNeutral{0x80, 0x80, 0x80};  // the interior is never drawn

constexpr Rgb Hex(uint32_t v) { return Rgb{uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }

Rgb Mix(Rgb a, Rgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto ch = [t](uint8_t x, uint8_t y) { return uint8_t(x + (y - x) * t + 0.5); };
    return {ch(a.r, b.r), ch(a.g, b.g), ch(a.b, b.b)};
}

// One picture size: the 64 x 25 frame of four one-pixel rings at `scale`. Ring k covers
// the pixels whose distance from the edge lies in [edge[k], edge[k + 1]).
struct Grid {
    int w, h;
    int edge[5];
    explicit Grid(double scale)
        : w(int(std::nearbyint(64 * scale))), h(int(std::nearbyint(25 * scale))) {
        for (int k = 0; k <= 4; ++k) edge[k] = int(std::nearbyint(k * scale));  // halves to even
    }
    // The ring a distance from the edge falls in; 4 for the interior.
    int Ring(int distance) const {
        int k = 0;
        while (k < 4 && distance >= edge[k + 1]) ++k;
        return k;
    }
    int Inset(int x, int y) const { return Ring(std::min({x, y, w - 1 - x, h - 1 - y})); }
};

enum class Side { Top, Bottom, Left, Right };
Side SideOf(const Grid& g, int x, int y, int d) {
    if (g.Ring(y) == d) return Side::Top;
    if (g.Ring(g.h - 1 - y) == d) return Side::Bottom;
    return g.Ring(x) == d ? Side::Left : Side::Right;
}

// Where the sides of ring d run: from the row below its top band to the row above its
// bottom band; t is 0 at the first and 1 at the last.
double DownTheSide(const Grid& g, int y, int d) {
    const int first = g.edge[d + 1], last = g.h - 1 - g.edge[d + 1];
    return double(y - first) / double(last - first);
}

// A ring coloured by side: the top, the bottom, and the sides shading from `sideTop` to
// `sideBottom` down their length.
struct RingColours {
    Rgb top, bottom, sideTop, sideBottom;
};
Rgb RingColour(const Grid& g, const RingColours& c, int x, int y, int d) {
    switch (SideOf(g, x, y, d)) {
        case Side::Top: return c.top;
        case Side::Bottom: return c.bottom;
        default: return Mix(c.sideTop, c.sideBottom, DownTheSide(g, y, d));
    }
}

// The dark-blue outline on ring `d`, its corners softened into the ring outside it: the
// outermost pixel of each corner, so a thick outline keeps a rounded, sharp corner.
constexpr Rgb kOutline = Hex(0x003C74);
Rgb Outline(const Grid& g, int x, int y, int d, Rgb outside) {
    const int o = g.edge[d];
    const bool cornerX = x == o || x == g.w - 1 - o, cornerY = y == o || y == g.h - 1 - o;
    return cornerX && cornerY ? Mix(kOutline, outside, 0.5) : kOutline;
}

using RingFn = std::function<Rgb(const Grid&, int x, int y, int d)>;

// A picture made of rings 0..3 given by `ring`, with `interior` inside.
Image Frame(const Grid& g, const RingFn& ring, Rgb interior = kNeutral) {
    Image img(g.w, g.h, interior);
    for (int y = 0; y < g.h; ++y)
        for (int x = 0; x < g.w; ++x) {
            int d = g.Inset(x, y);
            if (d < 4) img.at(x, y) = ring(g, x, y, d);
        }
    return img;
}

constexpr Rgb kPaleRing = Hex(0xE0DCC9);
constexpr Rgb kPalerRing = Hex(0xECE9D8);

Image Normal(const Grid& g) {
    return Frame(g, [](const Grid& g, int x, int y, int d) {
        if (d == 0) return kPaleRing;
        if (d == 1) return Outline(g, x, y, d, kPaleRing);
        // A light rim shading down from the top.
        return Mix(Hex(0xF3F3EE), Hex(0xD6D0C5), double(y - g.edge[2]) / double(g.h - 1 - 2 * g.edge[2]));
    });
}

Image HighLight(const Grid& g) {
    const RingColours outer{Hex(0xFFF0CF), Hex(0xE59700), Hex(0xFEDF9A), Hex(0xF9B435)};
    const RingColours inner{Hex(0xFDD889), Hex(0xF8B330), Hex(0xFEDF9A), Hex(0xF9B435)};
    return Frame(g, [=](const Grid& g, int x, int y, int d) {
        if (d == 0) return kPaleRing;
        if (d == 1) return Outline(g, x, y, d, kPaleRing);
        return RingColour(g, d == 2 ? outer : inner, x, y, d);
    });
}

Image Selected(const Grid& g) {
    const RingColours rim{Hex(0xCEE7FF), Hex(0x6982EE), Hex(0xB7D0F4), Hex(0x8BADE4)};
    return Frame(g, [=](const Grid& g, int x, int y, int d) {
        if (d == 0) return kPaleRing;
        if (d == 1) return Outline(g, x, y, d, kPaleRing);
        return RingColour(g, rim, x, y, d);
    });
}

Image Pressed(const Grid& g) {
    // The whole frame one ring further in, with a grey shade inside the outline.
    const RingColours shade{Hex(0xD1CCC1), Hex(0xE6E3DA), Hex(0xD8D4CA), Hex(0xE3E0D6)};
    return Frame(g, [=](const Grid& g, int x, int y, int d) {
        if (d == 0) return kPalerRing;
        if (d == 1) return kPaleRing;
        if (d == 2) return Outline(g, x, y, d, kPaleRing);
        return RingColour(g, shade, x, y, d);
    });
}

Image Disable(const Grid& g) {
    constexpr Rgb flat = Hex(0xF5F4EA);
    return Frame(
        g,
        [=](const Grid&, int, int, int d) {
            if (d == 0) return kPalerRing;
            if (d == 1) return Hex(0xC9C7BA);
            return flat;
        },
        flat);
}

}  // namespace

int main() {
    // The picture sets: 100 % carries no suffix.
    const struct { double scale; const char* suffix; } sets[] = {
        {1.0, ""}, {1.25, "_125"}, {1.5, "_150"}, {2.0, "_200"}};
    int failures = 0;
    for (const auto& set : sets) {
        const Grid g(set.scale);
        struct Out { const char* name; Image img; } outs[] = {
            {"normal", Normal(g)},     {"highlight", HighLight(g)}, {"highlightselect", HighLight(g)},
            {"selected", Selected(g)}, {"pressed", Pressed(g)},     {"disable", Disable(g)},
        };
        for (const auto& o : outs) {
            std::string path = std::string("assets/button/") + o.name + set.suffix + ".bmp";
            if (!gen::WriteBmp24(path, o.img)) {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                ++failures;
            }
        }
    }
    return failures == 0 ? 0 : 1;
}
