// The dialog's stored pictures, as committed: sizes, looks and the cursor's format.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> ReadAsset(const std::string& name) {
    std::ifstream in(std::string(FLUTTERA_SOURCE_DIR) + "/assets/dialog/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t U16(const std::vector<uint8_t>& b, size_t at) { return b[at] | b[at + 1] << 8; }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }

struct Bmp {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // top row first
    const uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// A bottom-up, uncompressed 24-bit BMP, or a zero-size picture when it is not one.
Bmp ReadBmp24(const std::string& name) {
    auto b = ReadAsset(name);
    Bmp bmp;
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || U16(b, 28) != 24 || U32(b, 30) != 0) return bmp;
    int w = static_cast<int>(U32(b, 18)), h = static_cast<int>(U32(b, 22));
    size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3}, offset = U32(b, 10);
    if (w <= 0 || h <= 0 || b.size() < offset + stride * h) return bmp;
    bmp.width = w;
    bmp.height = h;
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = &b[offset + stride * (h - 1 - y)];
        for (int x = 0; x < w; ++x) bmp.rgb.insert(bmp.rgb.end(), {row[x * 3 + 2], row[x * 3 + 1], row[x * 3]});
    }
    return bmp;
}

TEST(DialogPictures, TextureStripIsLightGreyWithRowStreaks) {
    Bmp t = ReadBmp24("texture.bmp");
    ASSERT_EQ(t.width, 556);
    ASSERT_EQ(t.height, 20);
    double sum[3] = {};
    for (size_t i = 0; i < t.rgb.size(); ++i) sum[i % 3] += t.rgb[i];
    const double n = 556.0 * 20;
    EXPECT_NEAR(sum[0] / n, 199, 3);
    EXPECT_NEAR(sum[1] / n, 195, 3);
    EXPECT_NEAR(sum[2] / n, 194, 3);
    // Streaks run along the rows: neighbours across differ less than neighbours down.
    double across = 0, down = 0;
    for (int y = 0; y + 1 < t.height; ++y)
        for (int x = 0; x + 1 < t.width; ++x) {
            across += std::abs(t.At(x, y)[1] - t.At(x + 1, y)[1]);
            down += std::abs(t.At(x, y)[1] - t.At(x, y + 1)[1]);
        }
    EXPECT_LT(across * 1.5, down);
}

TEST(DialogPictures, OptionIndicators) {
    Bmp off = ReadBmp24("option_off.bmp"), on = ReadBmp24("option_on.bmp");
    ASSERT_EQ(off.width, 12);
    ASSERT_EQ(off.height, 12);
    ASSERT_EQ(on.width, 12);
    ASSERT_EQ(on.height, 12);
    // Both have a grey outline; the empty one is light inside, the chosen one blue
    // inside a light border.
    for (const Bmp* b : {&off, &on}) {
        const uint8_t* corner = b->At(0, 0);
        EXPECT_LT(corner[0], 170);
        EXPECT_EQ(corner[0], corner[2]);
    }
    const uint8_t* offMid = off.At(6, 6);
    EXPECT_GT(offMid[0], 220);
    EXPECT_EQ(offMid[0], offMid[2]);
    const uint8_t* onMid = on.At(6, 6);
    EXPECT_GT(onMid[2], onMid[0] + 100);
    const uint8_t* onBorder = on.At(10, 10);
    EXPECT_GT(onBorder[0], 220);
    EXPECT_GT(onBorder[2], 220);
}

TEST(DialogPictures, HandCursorIsAMonochrome32x32CursorWithItsHotSpotOnTheHand) {
    auto c = ReadAsset("hand.cur");
    ASSERT_GE(c.size(), 22u + 40 + 8 + 256);
    EXPECT_EQ(U16(c, 0), 0u);
    EXPECT_EQ(U16(c, 2), 2u);  // a cursor, not an icon
    EXPECT_EQ(U16(c, 4), 1u);
    EXPECT_EQ(c[6], 32);
    EXPECT_EQ(c[7], 32);
    const uint32_t hotX = U16(c, 10), hotY = U16(c, 12);
    const uint32_t bytes = U32(c, 14), offset = U32(c, 18);
    ASSERT_EQ(offset + bytes, c.size());
    EXPECT_EQ(U32(c, offset), 40u);
    EXPECT_EQ(U32(c, offset + 4), 32u);
    EXPECT_EQ(U32(c, offset + 8), 64u);  // colour bits and mask bits
    EXPECT_EQ(U16(c, offset + 14), 1u);  // one bit per pixel
    ASSERT_LT(hotX, 32u);
    ASSERT_LT(hotY, 32u);

    // The mask (after the colour bits) is bottom-up, 4 bytes a row, 0 where the cursor
    // covers the screen. The hot spot is a covered pixel of the hand's topmost row.
    const size_t mask = offset + 40 + 8 + 128;
    auto opaque = [&](uint32_t x, uint32_t y) { return !(c[mask + (31 - y) * 4 + x / 8] & (0x80 >> (x % 8))); };
    EXPECT_TRUE(opaque(hotX, hotY));
    for (uint32_t y = 0; y < hotY; ++y)
        for (uint32_t x = 0; x < 32; ++x) EXPECT_FALSE(opaque(x, y)) << x << "," << y;
    int covered = 0;
    for (uint32_t y = 0; y < 32; ++y)
        for (uint32_t x = 0; x < 32; ++x) covered += opaque(x, y);
    EXPECT_GT(covered, 150);  // a hand, not a dot
    EXPECT_LT(covered, 600);
}

}  // namespace
