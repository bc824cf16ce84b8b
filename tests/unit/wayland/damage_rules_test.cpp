// The damage each pass reports: counted as a wlroots compositor keeps it, and gathered into
// strips joined until that count stays within what the compositor repaints rectangle by
// rectangle.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "wayland/damage_rules.h"

namespace wayland {
namespace {

using petals::PixelRect;
using Rects = std::vector<PixelRect>;

TEST(WaylandDamage, BandedCountAsTheCompositorKeepsTheRegion) {
    struct Case { const char* what; Rects a, b; std::size_t want; };
    const Case cases[] = {
        {"nothing", {}, {}, 0},
        {"one", {{0, 0, 10, 10}}, {}, 1},
        {"side by side, apart", {{0, 0, 10, 10}, {20, 0, 30, 10}}, {}, 2},
        {"side by side, touching", {{0, 0, 10, 10}}, {{10, 0, 20, 10}}, 1},
        {"stacked, touching", {{0, 0, 10, 10}, {0, 10, 10, 20}}, {}, 1},
        {"stacked with a gap", {{0, 0, 10, 10}, {0, 20, 10, 30}}, {}, 2},
        {"overlapping corners", {{0, 0, 10, 10}}, {{5, 5, 15, 15}}, 3},
        {"empty ones add nothing", {{5, 5, 5, 9}, {0, 0, 10, 10}}, {{3, 3, 1, 1}}, 1},
        // Two apart in the middle rows split the tall one's band into three.
        {"a tall one beside two", {{0, 0, 10, 30}, {20, 0, 30, 10}, {20, 20, 30, 30}}, {}, 5},
    };
    BandedCount count;
    for (const Case& c : cases) EXPECT_EQ(count(c.a, c.b), c.want) << c.what;
}

// Small rectangles, as petals' are, scattered over a 1920 x 1080 output; with `corners`,
// in two groups of 400 x 300 pixels at opposite corners.
Rects Scattered(std::size_t n, uint32_t seed, bool corners = false) {
    Rects out;
    for (std::size_t i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        int32_t x = static_cast<int32_t>((seed >> 8) % 1900), y = static_cast<int32_t>((seed >> 4) % 1060);
        if (corners) {
            x = x % 400 + (i % 2 ? 1500 : 0);
            y = y % 300 + (i % 2 ? 760 : 0);
        }
        out.push_back({x, y, x + 16, y + 14});
    }
    return out;
}

TEST(WaylandDamage, JoinedUntilThisAndTheLastFrameFitTheCompositor) {
    // `want`: the damage exactly, where it is told; empty: only the rules below.
    struct Case { const char* what; Rects last, changed, want; };
    const Case cases[] = {
        {"few in rows of their own, kept", {}, {{0, 0, 10, 10}, {100, 100, 120, 110}, {500, 20, 510, 25}},
         {{0, 0, 10, 10}, {500, 20, 510, 25}, {100, 100, 120, 110}}},
        {"side by side in the same rows: one strip", {}, {{0, 0, 10, 10}, {500, 5, 510, 12}}, {{0, 0, 510, 12}}},
        {"few after few", {{0, 0, 10, 10}, {100, 100, 120, 110}}, {{300, 300, 310, 310}}, {{300, 300, 310, 310}}},
        {"many scattered", {}, Scattered(240, 1), {}},
        {"in two corners", {}, Scattered(240, 7, true), {}},
        {"twelve after twelve: too many together", Scattered(12, 4), Scattered(12, 5), {}},
        {"nothing changed", Scattered(12, 6), {}, {}},
    };
    for (const Case& c : cases) {
        DamageShaper shaper;
        BandedCount count;
        const Rects last = c.last.empty() ? c.last : shaper.Shape(c.last);
        const Rects damage = shaper.Shape(c.changed);
        if (!c.want.empty()) {
            EXPECT_EQ(damage, c.want) << c.what;
        }
        if (c.changed.empty()) {
            EXPECT_TRUE(damage.empty()) << c.what;
        }
        // Within the bound with the last frame's damage, or one rectangle: nothing joins further.
        EXPECT_TRUE(damage.size() <= 1 || count(damage, last) <= kCompositorMaxRects) << c.what;
        for (const PixelRect& r : c.changed) {
            bool covered = false;
            for (const PixelRect& d : damage) covered = covered || petals::Intersect(d, r) == r;
            EXPECT_TRUE(covered) << c.what << ": " << r.left << "," << r.top << " left out";
        }
        // Petals in two corners are damaged there, not over the whole output between them.
        int64_t area = 0;
        for (const PixelRect& d : damage) area += d.Area();
        if (std::string(c.what).find("corners") != std::string::npos) {
            EXPECT_LE(area, 2 * 416 * 314) << c.what;
        }
    }
}

}  // namespace
}  // namespace wayland
