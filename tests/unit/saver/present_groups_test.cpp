#include "saver/present_groups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <vector>

namespace {

using petals::PixelRect;
using saver::PresentGroups;

bool Before(const PixelRect& a, const PixelRect& b) {
    return std::tie(a.left, a.top, a.right, a.bottom) < std::tie(b.left, b.top, b.right, b.bottom);
}

// Every non-empty rectangle once, each inside its group's box; the groups' sizes.
std::vector<std::size_t> CheckGroups(const PresentGroups& groups, std::vector<PixelRect> in) {
    in.erase(std::remove_if(in.begin(), in.end(), [](const PixelRect& r) { return r.Empty(); }), in.end());
    std::vector<PixelRect> out = groups.rects();
    std::vector<std::size_t> sizes;
    std::size_t from = 0;
    for (std::size_t g = 0; g < groups.boxes().size(); ++g) {
        const PixelRect& box = groups.boxes()[g];
        for (std::size_t i = from; i < groups.end(g); ++i) {
            const PixelRect& r = out[i];
            EXPECT_TRUE(r.left >= box.left && r.top >= box.top && r.right <= box.right && r.bottom <= box.bottom);
        }
        sizes.push_back(groups.end(g) - from);
        from = groups.end(g);
    }
    EXPECT_EQ(from, out.size());
    std::sort(in.begin(), in.end(), Before);
    std::sort(out.begin(), out.end(), Before);
    EXPECT_EQ(in, out);
    return sizes;
}

TEST(PresentGroups, SendsApartWhatIsCheaperApartAndPresentsEveryRectangleOnce) {
    struct Case {
        std::vector<PixelRect> in;
        int64_t cost;
        std::vector<std::size_t> sizes;  // rectangles per group, in order
    } cases[] = {
        {{}, 16384, {}},
        {{{5, 5, 5, 20}}, 16384, {}},  // empty: nothing to present
        // Petals at both ends of a monitor: two boxes rather than the monitor between them.
        {{{0, 0, 16, 16}, {1900, 1060, 1916, 1076}, {20, 0, 36, 16}}, 16384, {2, 1}},
        // Close together: one box, their rectangles still copied one by one.
        {{{0, 0, 16, 16}, {40, 40, 56, 56}, {80, 0, 96, 16}}, 16384, {3}},
        // On another monitor, far to the left: its own box even at a high cost.
        {{{-1000, 300, -984, 316}, {1000, 300, 1016, 316}}, 16384, {1, 1}},
        {{{-1000, 300, -984, 316}, {1000, 300, 1016, 316}}, int64_t{1} << 40, {2}},
    };
    PresentGroups groups;
    for (const Case& c : cases) {
        groups.Group(c.in, c.cost);
        EXPECT_EQ(CheckGroups(groups, c.in), c.sizes);
    }

    // Many random petals, with empty ones among them, at every cost.
    uint32_t seed = 7;
    auto next = [&](int32_t n) { seed = seed * 1664525u + 1013904223u; return static_cast<int32_t>((seed >> 8) % n); };
    for (int64_t cost : {int64_t{0}, int64_t{4096}, int64_t{16384}, int64_t{1} << 40}) {
        std::vector<PixelRect> in;
        for (int i = 0; i < 300; ++i) {
            const int32_t x = next(1920), y = next(1080), w = next(17), h = 1 + next(17);
            in.push_back({x, y, x + w, y + h});
        }
        groups.Group(in, cost);
        CheckGroups(groups, in);
    }
}

}  // namespace
