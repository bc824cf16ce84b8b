#include "petals/compositor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using petals::Compositor;
using petals::PixelRect;
using petals::PixelView;
using petals::SpriteDraw;
using petals::SpriteFrames;

bool Covered(const std::vector<PixelRect>& rects, int32_t x, int32_t y) {
    for (const PixelRect& r : rects)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
}

TEST(MergeRects, JoinsWhereOneRectangleCostsLessAndAlwaysCoversTheInput) {
    struct Case {
        std::vector<PixelRect> in;
        int64_t cost;
        std::vector<PixelRect> out;
    } cases[] = {
        // A petal's last and new place overlap: one rectangle, even at no cost per rectangle.
        {{{10, 10, 26, 26}, {11, 10, 27, 26}}, 0, {{10, 10, 27, 26}}},
        // Far apart: kept apart unless a rectangle costs more than the gap.
        {{{0, 0, 16, 16}, {100, 0, 116, 16}}, 256, {{0, 0, 16, 16}, {100, 0, 116, 16}}},
        {{{0, 0, 16, 16}, {100, 0, 116, 16}}, 1 << 20, {{0, 0, 116, 16}}},
        // One inside another, and empty ones, disappear.
        {{{0, 0, 50, 50}, {5, 5, 9, 9}, {3, 3, 3, 9}}, 0, {{0, 0, 50, 50}}},
        // A chain that only joins once its first two are joined.
        {{{0, 0, 16, 16}, {0, 40, 16, 56}, {0, 14, 16, 42}}, 0, {{0, 0, 16, 56}}},
    };
    for (auto& c : cases) {
        petals::MergeRects(c.in, c.cost);
        EXPECT_EQ(c.in.size(), c.out.size());
        for (const PixelRect& r : c.out) EXPECT_TRUE(Covered(c.in, r.left, r.top) && Covered(c.in, r.right - 1, r.bottom - 1));
        for (size_t i = 0; i < c.in.size() && i < c.out.size(); ++i) EXPECT_EQ(c.in[i], c.out[i]);
    }

    // Many random petals at every cost: every pixel stays covered, never more rectangles.
    uint32_t seed = 3;
    auto next = [&](int32_t n) { seed = seed * 1664525u + 1013904223u; return static_cast<int32_t>((seed >> 8) % n); };
    for (int64_t cost : {int64_t{0}, int64_t{64}, int64_t{256}, int64_t{4096}, int64_t{1} << 40}) {
        std::vector<PixelRect> in;
        for (int i = 0; i < 300; ++i) {
            const int32_t x = next(200), y = next(150), w = 1 + next(17), h = 1 + next(17);
            in.push_back({x, y, x + w, y + h});
        }
        std::vector<PixelRect> out = in;
        petals::MergeRects(out, cost);
        EXPECT_LE(out.size(), in.size());
        for (int32_t y = 0; y < 170; ++y)
            for (int32_t x = 0; x < 220; ++x)
                if (Covered(in, x, y)) {
                    ASSERT_TRUE(Covered(out, x, y)) << cost << ": " << x << "," << y;
                }
    }
}

// Pictures of 40 x 30: the snapshot is one colour, frame 0 a solid square of another.
struct Scene {
    Scene() : snapshot(40 * 30, 0x101010u), back(40 * 30, 0), frames(1, 4) {
        for (int i = 0; i < 16; ++i) {
            frames.Mask(0)[i] = 0;
            frames.Sprite(0)[i] = 0xFF00FFu;
        }
    }
    PixelView View(std::vector<uint32_t>& p) { return PixelView{p.data(), 40, 30, 40}; }
    const std::vector<PixelRect>& Pass(Compositor& c, std::vector<SpriteDraw> draws) {
        return c.Pass(View(snapshot), View(back), frames, draws);
    }
    std::vector<uint32_t> snapshot, back;
    SpriteFrames frames;
};

TEST(Compositor, RestoresAndPresentsOnlyWhereSpritesWereAndAre) {
    Scene s;
    Compositor c;
    c.SetRectCost(0);
    // The first pass copies and presents everything.
    EXPECT_EQ(s.Pass(c, {{2, 2, 0}}), (std::vector<PixelRect>{{0, 0, 40, 30}}));
    EXPECT_EQ(s.back[0], 0x101010u);
    EXPECT_EQ(s.back[2 * 40 + 2], 0xFF00FFu);
    // Moved by one pixel, and a second one half off the right edge: two rectangles.
    std::vector<PixelRect> got = s.Pass(c, {{3, 2, 0}, {38, 20, 0}});
    EXPECT_EQ(got, (std::vector<PixelRect>{{2, 2, 7, 6}, {38, 20, 40, 24}}));
    EXPECT_EQ(s.back[2 * 40 + 2], 0x101010u) << "the old place was not restored";
    // Both gone: their places are restored and presented.
    got = s.Pass(c, {});
    EXPECT_EQ(got, (std::vector<PixelRect>{{3, 2, 7, 6}, {38, 20, 40, 24}}));
    EXPECT_EQ(s.back, s.snapshot);
    // Nothing before, nothing now: nothing to present. After an invalidation: everything.
    EXPECT_TRUE(s.Pass(c, {}).empty());
    c.InvalidateAll();
    s.back.assign(s.back.size(), 0);
    EXPECT_EQ(s.Pass(c, {}), (std::vector<PixelRect>{{0, 0, 40, 30}}));
    EXPECT_EQ(s.back, s.snapshot);
}

TEST(Compositor, DrawsEachAreaInsideItsClipAtItsOrigin) {
    // Two areas side by side, like two monitors: a sprite at the right edge of the first
    // does not spill into the second.
    Scene s;
    Compositor c;
    c.BeginPass(s.View(s.snapshot), s.View(s.back));
    const SpriteDraw left[] = {{18, 0, 0}};
    const SpriteDraw right[] = {{0, 0, 0}};
    c.Draw(s.View(s.back), s.frames, left, 1, PixelRect{0, 0, 20, 30});
    c.Draw(s.View(s.back), s.frames, right, 1, PixelRect{20, 0, 40, 30}, 30, 10);
    c.EndPass();
    EXPECT_EQ(s.back[19], 0xFF00FFu);
    EXPECT_EQ(s.back[20], 0x101010u);
    EXPECT_EQ(s.back[10 * 40 + 30], 0xFF00FFu);
    EXPECT_EQ(s.back[10 * 40 + 29], 0x101010u);
}

}  // namespace
