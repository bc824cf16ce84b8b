#include "petals/pixels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

namespace {

using petals::PixelRect;
using petals::PixelView;
using petals::SpriteFrames;

uint32_t Noise(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state;
}

// A picture with rows longer than its width, so a drawing that ignores the stride shows.
struct Picture {
    Picture(int32_t w, int32_t h, uint32_t seed) : pixels(static_cast<size_t>(w + 7) * h) {
        view = PixelView{pixels.data(), w, h, w + 7};
        for (uint32_t& p : pixels) p = Noise(seed);
    }
    std::vector<uint32_t> pixels;
    PixelView view;
};

// Masks and sprites of random bits: the AND-then-XOR rule holds for any bits, not only
// for well-formed petals.
SpriteFrames RandomFrames(int32_t count, int32_t size) {
    SpriteFrames f(count, size);
    uint32_t seed = static_cast<uint32_t>(size);
    for (int32_t k = 0; k < count; ++k)
        for (int32_t i = 0; i < size * size; ++i) {
            f.Mask(k)[i] = Noise(seed);
            f.Sprite(k)[i] = Noise(seed);
        }
    return f;
}

TEST(DrawSprite, AndsTheMaskThenXorsTheSpriteClippedAtEveryEdge) {
    for (int32_t size : {16, 24}) {
        const SpriteFrames frames = RandomFrames(3, size);
        const int32_t w = 40, h = 30;
        const PixelRect clips[] = {{0, 0, w, h}, {5, 3, 31, 22}, {-10, -10, 100, 100}};
        for (const PixelRect& clip : clips)
            for (int32_t y = -size - 1; y <= h + 1; y += 3)
                for (int32_t x = -size - 1; x <= w + 1; x += 3) {
                    Picture pic(w, h, static_cast<uint32_t>(x * 131 + y));
                    const std::vector<uint32_t> before = pic.pixels;
                    const PixelRect got = petals::DrawSprite(pic.view, frames, 2, x, y, clip);
                    PixelRect touched{w, h, 0, 0};
                    for (int32_t py = 0; py < h; ++py)
                        for (int32_t px = 0; px < pic.view.stride; ++px) {
                            const size_t i = static_cast<size_t>(py) * pic.view.stride + px;
                            uint32_t want = before[i];
                            const bool inside = px < w && px >= x && px < x + size && py >= y && py < y + size &&
                                                px >= clip.left && px < clip.right && py >= clip.top &&
                                                py < clip.bottom;
                            if (inside) {
                                const size_t s = static_cast<size_t>(py - y) * size + (px - x);
                                want = (want & frames.Mask(2)[s]) ^ frames.Sprite(2)[s];
                                touched = petals::Union(touched.Empty() ? PixelRect{px, py, px + 1, py + 1} : touched,
                                                         PixelRect{px, py, px + 1, py + 1});
                            }
                            ASSERT_EQ(pic.pixels[i], want) << size << " at " << x << "," << y << " pixel " << px
                                                           << "," << py;
                        }
                    EXPECT_EQ(got, touched.Empty() ? PixelRect{} : touched) << x << "," << y;
                }
    }
}

// Positions at the ends of the int range: the sprite's far edges lie beyond it, and must
// neither wrap round onto the picture nor overflow (the sanitized build stops on that).
TEST(DrawSprite, AtTheEndsOfTheIntRangeDrawsNothing) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max(), kMin = std::numeric_limits<int32_t>::min();
    const SpriteFrames frames = RandomFrames(1, 24);
    Picture pic(20, 20, 1);
    const std::vector<uint32_t> before = pic.pixels;
    for (const auto& [x, y] : {std::pair{kMax - 3, 0}, {0, kMax - 3}, {kMax, kMax}, {kMin, kMin}})
        EXPECT_TRUE(petals::DrawSprite(pic.view, frames, 0, x, y, pic.view.Bounds()).Empty()) << x << "," << y;
    EXPECT_EQ(pic.pixels, before);
}

TEST(DrawSprite, AFrameThatDoesNotExistDrawsNothing) {
    const SpriteFrames frames = RandomFrames(16, 16);
    Picture pic(20, 20, 1);
    const std::vector<uint32_t> before = pic.pixels;
    for (int32_t frame : {-1, 16, 1 << 30})
        EXPECT_TRUE(petals::DrawSprite(pic.view, frames, frame, 2, 2, pic.view.Bounds()).Empty());
    EXPECT_EQ(pic.pixels, before);
}

TEST(CopyRect, CopiesOnlyTheRectangleClippedToBothPictures) {
    // Clipped widths of every remainder of four and on both sides of a short row's end.
    for (int32_t width : {1, 2, 3, 4, 5, 6, 7, 11, 16, 63, 64, 65, 90}) {
        SCOPED_TRACE(width);
        Picture from(100, 20, 7), to(3 + width, 40, 9);
        const std::vector<uint32_t> before = to.pixels;
        petals::CopyRect(from.view, to.view, PixelRect{3, -5, 200, 10});
        for (int32_t y = 0; y < 40; ++y)
            for (int32_t x = 0; x < to.view.stride; ++x) {
                const bool copied = x >= 3 && x < 3 + width && y < 10;
                const uint32_t want = copied ? from.view.Row(y)[x] : before[static_cast<size_t>(y) * to.view.stride + x];
                ASSERT_EQ(to.view.Row(y)[x], want) << x << "," << y;
            }
    }
}

}  // namespace
