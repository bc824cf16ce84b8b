// The picture a scene composes, pass by pass at a fixed seed, against the old drawing that
// defines it: the whole snapshot put back and every petal's whole square drawn, the whole
// buffer presented. The scene restores, draws and presents only each petal's box.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "petals/petal_frames.h"
#include "petals/scene.h"

namespace petals {
namespace {

// The old drawing of one sprite: its whole square, mask then sprite, within `clip`.
void DrawWholeSquare(std::vector<uint32_t>& pic, const PixelRect& buffer, const SpriteFrames& f, const SpriteDraw& d,
                     const PixelRect& clip) {
    const PixelRect area = Intersect(clip, buffer);
    for (int32_t y = 0; y < f.size(); ++y)
        for (int32_t x = 0; x < f.size(); ++x) {
            const int32_t px = d.x + x, py = d.y + y;
            if (px < area.left || px >= area.right || py < area.top || py >= area.bottom) continue;
            uint32_t& p = pic[static_cast<size_t>(py) * buffer.Width() + px];
            const size_t i = static_cast<size_t>(y) * f.size() + x;
            p = (p & f.Mask(d.frame)[i]) ^ f.Sprite(d.frame)[i];
        }
}

TEST(ScenePicture, PassByPassTheSameAsTheWholeSnapshotAndWholeSquares) {
    struct Row {
        const char* name;
        int32_t width, height, count;
        std::vector<Monitor> monitors;
        // The hack's masks keep the top byte (a 32-bit visual's alpha): then every bit counts;
        // otherwise (the Windows frames) only the colour, the top byte being no part of it.
        bool opaqueMasks;
        int64_t rectCost;
    };
    const Row rows[] = {
        {"100 %", 200, 150, 60, {{{0, 0, 200, 150}, 96}}, false, 4096},
        {"150 %, the hack's masks", 240, 160, 40, {{{0, 0, 240, 160}, 144}}, true, 0},
        {"100 % beside 200 %", 320, 160, 30, {{{0, 0, 160, 160}, 96}, {{160, 0, 320, 160}, 192}}, false, 256},
        {"300 %, crowded, one rectangle", 160, 120, 100, {{{0, 0, 160, 120}, 288}}, true, int64_t{1} << 40},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const PixelRect buffer{0, 0, row.width, row.height};
        Scene scene(row.count, 4242);
        scene.Lay(row.monitors, buffer);
        scene.compositor().SetRectCost(row.rectCost);
        std::map<int32_t, SpriteFrames> whole;  // by size, as loaded: no boxes found
        for (int32_t size : scene.MissingFrameSizes()) {
            std::optional<SpriteFrames> f = LoadPetalFrames(size);
            ASSERT_TRUE(f);
            for (int32_t k = 0; row.opaqueMasks && k < f->count(); ++k)
                for (int32_t i = 0; i < size * size; ++i) f->Mask(k)[i] |= 0xFF000000u;
            whole[size] = *f;
            scene.SetFrames(std::move(*f));
        }
        const uint32_t bits = row.opaqueMasks ? 0xFFFFFFFFu : 0x00FFFFFFu;
        const size_t n = static_cast<size_t>(row.width) * row.height;
        std::vector<uint32_t> snapshot(n), back(n), screen(n);
        uint32_t seed = 7;
        for (uint32_t& p : snapshot) p = seed = seed * 1664525u + 1013904223u;
        const PixelView snap{snapshot.data(), row.width, row.height, row.width};
        const PixelView backView{back.data(), row.width, row.height, row.width};
        const PixelView screenView{screen.data(), row.width, row.height, row.width};
        long drawn = 0;
        for (int pass = 0; pass < 400; ++pass) {
            for (const PixelRect& r : scene.Pass(snap, backView)) CopyRect(backView, screenView, r);
            std::vector<uint32_t> want = snapshot;
            for (size_t s = 0; s < scene.screens().size(); ++s) {
                const Screen& sc = scene.screens()[s];
                for (const SpriteDraw& d : sc.draws) DrawWholeSquare(want, buffer, whole[sc.spriteSize], d, sc.clip);
                drawn += static_cast<long>(sc.draws.size());
            }
            for (size_t i = 0; i < n; ++i) {
                ASSERT_EQ(back[i] & bits, want[i] & bits) << "back buffer, pass " << pass << " at " << i % row.width
                                                          << "," << i / row.width;
                ASSERT_EQ(screen[i] & bits, want[i] & bits) << "screen, pass " << pass << " at " << i % row.width
                                                            << "," << i / row.width;
            }
        }
        EXPECT_GT(drawn, 400L * row.count / 4) << "too few petals shown to tell";
    }
}

}  // namespace
}  // namespace petals
