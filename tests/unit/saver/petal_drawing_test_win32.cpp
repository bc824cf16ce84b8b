// The petals drawn in memory against the two GDI copies they replace: every frame,
// clipped at every edge, gives the pixels of BitBlt SRCAND then SRCINVERT; and thousands
// of incremental passes leave the back buffer and the screen exactly as a full copy of the
// snapshot and a full presentation would.
#include "petals/compositor.h"
#include "saver/frames_win32.h"
#include "petals/petal_model.h"
#include "region_present_win32.h"
#include "saver/present_win32.h"
#include "framework/window_win32.h"
#include "resource_ids.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

namespace {

using namespace petals;
using namespace saver;
using fw::win::RetainedPicture;

struct GdiFrames {
    GdiFrames() {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        for (int k = 0; k < kSpriteFrames; ++k) {
            masks[k].FromResource(instance, IDB_PETAL_MASK + k);
            sprites[k].FromResource(instance, IDB_PETAL_SPRITE + k);
        }
    }
    // The sprite at (x, y) the way GDI draws it: 16 x 16 copies, clipped by the picture.
    void Draw(HDC to, const SpriteDraw& d) const {
        BitBlt(to, d.x, d.y, kSpriteSize, kSpriteSize, masks[d.frame].dc(), 0, 0, SRCAND);
        BitBlt(to, d.x, d.y, kSpriteSize, kSpriteSize, sprites[d.frame].dc(), 0, 0, SRCINVERT);
    }
    std::array<RetainedPicture, kSpriteFrames> masks, sprites;
};

void Fill(RetainedPicture& p, uint32_t seed) {
    GdiFlush();
    for (int i = 0; i < p.width() * p.height(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        p.bits()[i] = seed;
    }
}

bool Same(const RetainedPicture& a, const RetainedPicture& b) {
    GdiFlush();
    return std::memcmp(a.bits(), b.bits(), sizeof(uint32_t) * a.width() * a.height()) == 0;
}

TEST(PetalDrawing, EveryFrameClippedAtEveryEdgeGivesThePixelsOfTheTwoCopies) {
    SpriteFrames frames;
    ASSERT_TRUE(LoadFrames(GetModuleHandleW(nullptr), IDB_PETAL_MASK, IDB_PETAL_SPRITE, kSpriteSize, frames));
    const GdiFrames gdi;
    const int w = 64, h = 48;
    RetainedPicture byGdi, inMemory;
    ASSERT_TRUE(byGdi.Create(w, h) && inMemory.Create(w, h));
    const int xs[] = {-16, -15, -9, -1, 0, 23, w - 16, w - 15, w - 7, w - 1, w};
    const int ys[] = {-16, -15, -10, -1, 0, 17, h - 16, h - 15, h - 6, h - 1, h};
    for (int k = 0; k < kSpriteFrames; ++k)
        for (int y : ys)
            for (int x : xs) {
                Fill(byGdi, static_cast<uint32_t>(k * 1000 + y * 37 + x));
                std::memcpy(inMemory.bits(), byGdi.bits(), sizeof(uint32_t) * w * h);
                gdi.Draw(byGdi.dc(), SpriteDraw{x, y, k});
                DrawSprite(ViewOf(inMemory), frames, k, x, y, PixelRect{0, 0, w, h});
                ASSERT_TRUE(Same(byGdi, inMemory)) << "frame " << k << " at " << x << "," << y;
            }
}

TEST(PetalDrawing, IncrementalPassesLeaveTheBufferAndTheScreenAsFullCopiesWould) {
    SpriteFrames frames;
    ASSERT_TRUE(LoadFrames(GetModuleHandleW(nullptr), IDB_PETAL_MASK, IDB_PETAL_SPRITE, kSpriteSize, frames));
    const GdiFrames gdi;
    // A small surface crowded with petals: they enter at the top, leave at the bottom and
    // at both sides (the sway is wider than the surface), and overlap all the time.
    const int w = 200, h = 150;
    const Surface surface{w, h, w};
    RetainedPicture snapshot, full, back, screen;
    ASSERT_TRUE(snapshot.Create(w, h) && full.Create(w, h) && back.Create(w, h) && screen.Create(w, h));
    Fill(snapshot, 99);
    PetalTable petals(150);
    fw::Lcg24Random random;
    random.Seed(4242);
    SetInitialValues(petals, surface, random);
    std::vector<SpriteDraw> draws;
    Compositor compositor;
    bench::RegionPresenter region;
    saver::PresentGroups groups;
    int left = 0, right = 0, top = 0, bottom = 0;
    for (int pass = 0; pass < 3000; ++pass) {
        Step(petals, surface, random, draws);
        for (const SpriteDraw& d : draws) {
            left += d.x < 0;
            right += d.x > w - kSpriteSize;
            top += d.y < 0;
            bottom += d.y > h - kSpriteSize;
        }
        // The old pass: the whole snapshot, every petal by GDI, the whole buffer presented.
        BitBlt(full.dc(), 0, 0, w, h, snapshot.dc(), 0, 0, SRCCOPY);
        for (const SpriteDraw& d : draws) gdi.Draw(full.dc(), d);
        // The new one, with each way of joining and presenting rectangles in turn, and the
        // whole buffer once in a while (as after the window was spoiled).
        compositor.SetRectCost(pass % 3 == 0 ? 0 : pass % 3 == 1 ? 256 : int64_t{1} << 40);
        if (pass % 997 == 500) compositor.InvalidateAll();
        GdiFlush();
        const std::vector<PixelRect>& changed = compositor.Pass(ViewOf(snapshot), ViewOf(back), frames, draws);
        if (pass % 2) {
            region.Present(screen.dc(), back.dc(), changed);
        } else if (pass % 4) {
            PresentRects(screen.dc(), back.dc(), changed);
        } else {  // in groups, small ones on this small surface
            groups.Group(changed, 64);
            PresentGrouped(screen.dc(), back.dc(), groups);
        }
        ASSERT_TRUE(Same(back, full)) << "back buffer differs after pass " << pass;
        ASSERT_TRUE(Same(screen, full)) << "screen differs after pass " << pass;
    }
    EXPECT_GT(left, 0);
    EXPECT_GT(right, 0);
    EXPECT_GT(top, 0);
    EXPECT_GT(bottom, 0);
}

}  // namespace
