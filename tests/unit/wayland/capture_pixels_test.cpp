// A screencopy picture made into an output's backdrop, and petals drawn on either kind of
// surface.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "petals/pixels.h"
#include "wayland/capture_pixels.h"

namespace wayland {
namespace {

using petals::PixelView;

// A 2 x 2 picture of four words (top-left, top-right, bottom-left, bottom-right), stored
// little-endian, rows `stride` bytes apart.
std::vector<uint8_t> Picture(const uint32_t (&words)[4], int32_t stride) {
    std::vector<uint8_t> bytes(static_cast<size_t>(stride) * 2, 0xEE);
    for (int i = 0; i < 4; ++i)
        for (int b = 0; b < 4; ++b)
            bytes[static_cast<size_t>(i / 2 * stride + i % 2 * 4 + b)] = static_cast<uint8_t>(words[i] >> (8 * b));
    return bytes;
}

TEST(WaylandCapture, FormatsRowOrderAndSizeGiveTheOpaqueBackdrop) {
    const uint32_t rgb[4] = {0x00112233, 0x80445566, 0x00778899, 0xFFAABBCC};
    const uint32_t bgr[4] = {0x00332211, 0x80665544, 0x00998877, 0xFFCCBBAA};
    struct Case { uint32_t format; const uint32_t (&words)[4]; int32_t stride; bool yInvert; int32_t w, h; std::vector<uint32_t> want; };
    const Case cases[] = {
        {kShmXrgb8888, rgb, 8, false, 2, 2, {0xFF112233, 0xFF445566, 0xFF778899, 0xFFAABBCC}},
        {kShmArgb8888, rgb, 12, false, 2, 2, {0xFF112233, 0xFF445566, 0xFF778899, 0xFFAABBCC}},
        {kShmXrgb8888, rgb, 8, true, 2, 2, {0xFF778899, 0xFFAABBCC, 0xFF112233, 0xFF445566}},
        {kShmXbgr8888, bgr, 8, false, 2, 2, {0xFF112233, 0xFF445566, 0xFF778899, 0xFFAABBCC}},
        {kShmAbgr8888, bgr, 8, true, 2, 2, {0xFF778899, 0xFFAABBCC, 0xFF112233, 0xFF445566}},
        // Drawn at twice the size (a fractional output at the next whole scale): stretched.
        {kShmXrgb8888, rgb, 8, false, 4, 1, {0xFF112233, 0xFF112233, 0xFF445566, 0xFF445566}},
        {kShmXrgb8888, rgb, 8, false, 1, 1, {0xFF112233}},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes = Picture(c.words, c.stride);
        std::vector<uint32_t> out(static_cast<size_t>(c.w) * c.h, 0);
        const CapturedPicture picture{bytes.data(), c.format, 2, 2, c.stride, c.yInvert};
        ASSERT_TRUE(FitCapture(picture, PixelView{out.data(), c.w, c.h, c.w})) << c.format;
        EXPECT_EQ(out, c.want) << c.format << (c.yInvert ? " inverted" : "") << " " << c.w << "x" << c.h;
    }
}

TEST(WaylandCapture, UnreadablePicturesAreRefusedUntouched) {
    const std::vector<uint8_t> bytes(64, 0x55);
    struct Case { uint32_t format; int32_t w, h, stride; uint32_t transform; };
    const Case cases[] = {{0x36314752 /* RGB565 */, 2, 2, 8, 0}, {kShmXrgb8888, 2, 2, 7, 0},
                          {kShmXrgb8888, 0, 2, 8, 0}, {kShmXrgb8888, 2, 2, 8, 8}};
    for (const Case& c : cases) {
        std::vector<uint32_t> out(4, 7);
        EXPECT_FALSE(FitCapture(CapturedPicture{bytes.data(), c.format, c.w, c.h, c.stride, false, c.transform},
                                PixelView{out.data(), 2, 2, 2}));
        EXPECT_EQ(out, std::vector<uint32_t>(4, 7));
    }
}

TEST(WaylandCapture, ATurnedOutputsPictureGivesTheDesktopUpright) {
    // The picture in the output's orientation, 3 x 2: A B C over D E F.
    enum : uint32_t { A = 0xA, B = 0xB, C = 0xC, D = 0xD, E = 0xE, F = 0xF };
    std::vector<uint8_t> bytes;
    for (uint32_t w : {A, B, C, D, E, F}) bytes.insert(bytes.end(), {static_cast<uint8_t>(w), 0, 0, 0});
    // The upright desktop, row by row, as the compositor shows it (checked against grim's
    // pictures of sway's turned outputs).
    struct Case { uint32_t transform; int32_t w, h; std::vector<uint32_t> want; };
    const Case cases[] = {
        {0, 3, 2, {A, B, C, D, E, F}}, {1, 2, 3, {D, A, E, B, F, C}}, {2, 3, 2, {F, E, D, C, B, A}},
        {3, 2, 3, {C, F, B, E, A, D}}, {4, 3, 2, {C, B, A, F, E, D}}, {5, 2, 3, {A, D, B, E, C, F}},
        {6, 3, 2, {D, E, F, A, B, C}}, {7, 2, 3, {F, C, E, B, D, A}},
    };
    for (const Case& c : cases) {
        std::vector<uint32_t> out(6, 0);
        ASSERT_TRUE(FitCapture(CapturedPicture{bytes.data(), kShmXrgb8888, 3, 2, 12, false, c.transform},
                               PixelView{out.data(), c.w, c.h, c.w}));
        for (uint32_t& p : out) p &= 0xFFFFFF;
        EXPECT_EQ(out, c.want) << "transform " << c.transform;
    }
}

// One frame of 2 x 1: outside the petal (white mask, black sprite), inside (black mask, pink).
petals::SpriteFrames OnePetal() {
    petals::SpriteFrames frames(1, 2);
    frames.Mask(0)[0] = 0x00FFFFFF;
    frames.Sprite(0)[0] = 0;
    frames.Mask(0)[1] = 0;
    frames.Sprite(0)[1] = 0x00F0A0C0;
    frames.Mask(0)[2] = frames.Mask(0)[3] = 0x00FFFFFF;
    frames.Sprite(0)[2] = frames.Sprite(0)[3] = 0;
    return frames;
}

TEST(WaylandFrames, PetalsOpaqueOnEitherSurfaceAndTheRestAsItWas) {
    struct Case { bool transparent; uint32_t under; uint32_t outside, inside; };
    const Case cases[] = {
        {false, 0xFF336699, 0xFF336699, 0xFFF0A0C0},  // over the still picture
        {true, 0x00000000, 0x00000000, 0xFFF0A0C0},   // over the live desktop: see-through around it
    };
    for (const Case& c : cases) {
        petals::SpriteFrames frames = OnePetal();
        PrepareFrames(frames, c.transparent);
        std::vector<uint32_t> pixels(4, c.under);
        const PixelView view{pixels.data(), 2, 2, 2};
        petals::DrawSprite(view, frames, 0, 0, 0, view.Bounds());
        EXPECT_EQ(pixels[0], c.outside) << c.transparent;
        EXPECT_EQ(pixels[1], c.inside) << c.transparent;
        EXPECT_EQ(pixels[3], c.under) << c.transparent;
    }
}

}  // namespace
}  // namespace wayland
