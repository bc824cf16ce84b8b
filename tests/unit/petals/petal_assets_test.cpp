// The saver's and the preview's pictures as committed. The 16 petal frames are each a
// 16 x 16 mask and sprite pair of 24-bit BMPs that must agree pixel for pixel, since the
// saver ANDs the mask onto the screen and then XORs the sprite into the cleared pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

struct Pixel {
    uint8_t r = 0, g = 0, b = 0;
    bool IsBlack() const { return r == 0 && g == 0 && b == 0; }
    bool IsWhite() const { return r == 255 && g == 255 && b == 255; }
};

struct Bitmap {
    int width = 0, height = 0, bits = 0;
    std::vector<Pixel> px;  // top row first
    const Pixel& at(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
};

uint32_t Le(const std::vector<uint8_t>& d, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | d[at + i];
    return v;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Uncompressed 24-bit BMPs with a BITMAPINFOHEADER, bottom-up or top-down.
std::optional<Bitmap> ReadBmp(const std::string& path, std::string& why) {
    const std::vector<uint8_t> d = ReadAll(path);
    if (d.size() < 54 || d[0] != 'B' || d[1] != 'M') { why = "not a BMP"; return std::nullopt; }
    Bitmap bmp;
    const uint32_t offset = Le(d, 10, 4);
    const uint32_t header = Le(d, 14, 4);
    bmp.width = static_cast<int32_t>(Le(d, 18, 4));
    const int32_t rawHeight = static_cast<int32_t>(Le(d, 22, 4));
    bmp.height = rawHeight < 0 ? -rawHeight : rawHeight;
    bmp.bits = static_cast<int>(Le(d, 28, 2));
    const uint32_t compression = Le(d, 30, 4);
    if (header < 40 || Le(d, 26, 2) != 1 || compression != 0) { why = "unexpected header"; return std::nullopt; }
    if (bmp.bits != 24 || bmp.width <= 0 || bmp.width > 4096 || bmp.height > 4096) {
        why = "not 24-bit or bad size";
        return std::nullopt;
    }
    const size_t stride = (static_cast<size_t>(bmp.width) * 3 + 3) & ~size_t{3};
    if (d.size() < offset + stride * bmp.height) { why = "truncated"; return std::nullopt; }
    bmp.px.resize(static_cast<size_t>(bmp.width) * bmp.height);
    for (int y = 0; y < bmp.height; ++y) {
        const int fileRow = rawHeight > 0 ? bmp.height - 1 - y : y;
        const uint8_t* row = d.data() + offset + stride * fileRow;
        for (int x = 0; x < bmp.width; ++x)
            bmp.px[static_cast<size_t>(y) * bmp.width + x] = Pixel{row[x * 3 + 2], row[x * 3 + 1], row[x * 3]};
    }
    return bmp;
}

std::string FramePath(const char* kind, int k) {
    char name[32];
    std::snprintf(name, sizeof name, "%s_%02d.bmp", kind, k);
    return std::string(FLUTTERA_SOURCE_DIR) + "/assets/petals/" + name;
}

TEST(PetalFrames, MaskAndSpriteAgreeAndThePetalTurnsOver) {
    std::vector<int> areas;
    std::vector<std::vector<bool>> shapes;
    for (int k = 0; k < 16; ++k) {
        SCOPED_TRACE("frame " + std::to_string(k));
        std::string why;
        const auto mask = ReadBmp(FramePath("mask", k), why);
        ASSERT_TRUE(mask) << why;
        const auto sprite = ReadBmp(FramePath("sprite", k), why);
        ASSERT_TRUE(sprite) << why;
        ASSERT_EQ(mask->width, 16);
        ASSERT_EQ(mask->height, 16);
        ASSERT_EQ(sprite->width, 16);
        ASSERT_EQ(sprite->height, 16);

        int area = 0;
        long red = 0, green = 0, blue = 0;
        std::vector<bool> shape(256);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const Pixel& m = mask->at(x, y);
                const Pixel& s = sprite->at(x, y);
                ASSERT_TRUE(m.IsWhite() || m.IsBlack()) << x << "," << y;
                if (m.IsWhite()) {
                    ASSERT_TRUE(s.IsBlack()) << "sprite colour outside the petal at " << x << "," << y;
                } else {
                    // A black sprite pixel inside would leave a hole in the petal.
                    ASSERT_FALSE(s.IsBlack()) << "hole in the petal at " << x << "," << y;
                    ++area;
                    red += s.r;
                    green += s.g;
                    blue += s.b;
                    shape[y * 16 + x] = true;
                }
            }
        }
        EXPECT_GE(area, 20);
        EXPECT_LE(area, 200);
        if (area > 0) {
            // Pink: red leads, blue above green.
            EXPECT_GT(red / area, green / area + 40);
            EXPECT_GT(blue / area, green / area);
        }
        areas.push_back(area);
        shapes.push_back(shape);
    }
    // Turning over: broad faces and narrow edge-on views, and every step changes the shape.
    const auto [least, most] = std::minmax_element(areas.begin(), areas.end());
    EXPECT_GE(*most - *least, 40);
    for (int k = 0; k < 16; ++k) EXPECT_NE(shapes[k], shapes[(k + 1) % 16]) << "frames " << k << " and " << (k + 1) % 16;
    EXPECT_GE(std::set<int>(areas.begin(), areas.end()).size(), 6u);
}

std::string ScaledFramePath(const char* kind, int size, int k) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%d_%02d.bmp", kind, size, k);
    return std::string(FLUTTERA_SOURCE_DIR) + "/assets/petals/" + name;
}

// High-DPI screens draw the same frames at 24, 32 and 48 pixels: each a mask and sprite
// pair that agree as the 16-pixel ones do, and the same petal in the same pose, scaled:
// of the 16 small frames, its own overlaps it best.
TEST(PetalFrames, LargerSizesAreTheSamePetalScaled) {
    std::vector<Bitmap> small;
    for (int k = 0; k < 16; ++k) {
        std::string why;
        const auto mask = ReadBmp(FramePath("mask", k), why);
        ASSERT_TRUE(mask) << why;
        small.push_back(*mask);
    }
    for (int size : {24, 32, 48}) {
        for (int k = 0; k < 16; ++k) {
            SCOPED_TRACE("size " + std::to_string(size) + " frame " + std::to_string(k));
            std::string why;
            const auto mask = ReadBmp(ScaledFramePath("mask", size, k), why);
            ASSERT_TRUE(mask) << why;
            const auto sprite = ReadBmp(ScaledFramePath("sprite", size, k), why);
            ASSERT_TRUE(sprite) << why;
            ASSERT_EQ(mask->width, size);
            ASSERT_EQ(mask->height, size);
            ASSERT_EQ(sprite->width, size);
            ASSERT_EQ(sprite->height, size);
            int area = 0;
            std::vector<int> overlap(16), either(16);
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    const Pixel& m = mask->at(x, y);
                    const Pixel& s = sprite->at(x, y);
                    ASSERT_TRUE(m.IsWhite() || m.IsBlack()) << x << "," << y;
                    ASSERT_EQ(m.IsWhite(), s.IsBlack()) << "mask and sprite disagree at " << x << "," << y;
                    area += m.IsBlack();
                    for (int j = 0; j < 16; ++j) {
                        const bool there = small[j].at(x * 16 / size, y * 16 / size).IsBlack();
                        overlap[j] += m.IsBlack() && there;
                        either[j] += m.IsBlack() || there;
                    }
                }
            }
            int smallArea = 0;
            for (const Pixel& p : small[k].px) smallArea += p.IsBlack();
            const double expected = smallArea * (size / 16.0) * (size / 16.0);
            EXPECT_GT(area, expected * 0.8);
            EXPECT_LT(area, expected * 1.25);
            for (int j = 0; j < 16; ++j) {
                if (j == k) continue;
                EXPECT_GT(overlap[k] * either[j], overlap[j] * either[k]) << "looks more like frame " << j;
            }
        }
    }
}

// The preview shows its picture unscaled, so its size is part of the design: a baseline
// JPEG of 152 x 112 pixels.
TEST(PreviewPicture, IsABaselineJpegOf152By112) {
    const std::vector<uint8_t> d = ReadAll(std::string(FLUTTERA_SOURCE_DIR) + "/assets/preview/preview.jpg");
    ASSERT_GE(d.size(), 4u);
    ASSERT_EQ(d[0], 0xFF);
    ASSERT_EQ(d[1], 0xD8);
    size_t at = 2;
    while (at + 9 <= d.size()) {
        ASSERT_EQ(d[at], 0xFF) << "marker expected at " << at;
        const uint8_t marker = d[at + 1];
        const size_t length = (static_cast<size_t>(d[at + 2]) << 8) | d[at + 3];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            EXPECT_EQ(marker, 0xC0) << "not baseline";
            EXPECT_EQ((d[at + 5] << 8) | d[at + 6], 112);
            EXPECT_EQ((d[at + 7] << 8) | d[at + 8], 152);
            return;
        }
        at += 2 + length;
    }
    FAIL() << "no frame header";
}

}  // namespace
