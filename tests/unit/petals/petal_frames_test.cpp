// The BMP reader behind the petal frames compiled into the Linux hack, and those frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "petals/bmp_image.h"
#include "petals/petal_frames.h"
#include "petals/petal_model.h"

namespace petals {
namespace {

// A 2 x 2 BMP: blue, green on the top row; red, white below; stored bottom-up or top-down.
std::vector<uint8_t> SmallBmp(bool topDown) {
    std::vector<uint8_t> b(54 + 16, 0);
    auto put = [&](size_t at, uint32_t v, int n) { for (int i = 0; i < n; ++i) b[at + i] = (v >> (8 * i)) & 0xFF; };
    b[0] = 'B'; b[1] = 'M';
    put(2, 70, 4); put(10, 54, 4); put(14, 40, 4); put(18, 2, 4);
    put(22, topDown ? static_cast<uint32_t>(-2) : 2u, 4); put(26, 1, 2); put(28, 24, 2);
    const uint8_t top[8] = {255, 0, 0, 0, 255, 0, 0, 0}, bottom[8] = {0, 0, 255, 255, 255, 255, 0, 0};
    std::copy(topDown ? top : bottom, (topDown ? top : bottom) + 8, b.begin() + 54);
    std::copy(topDown ? bottom : top, (topDown ? bottom : top) + 8, b.begin() + 62);
    return b;
}

TEST(Bmp, ReadsBothRowOrdersAndRefusesDamagedFiles) {
    for (bool topDown : {false, true}) {
        const std::vector<uint8_t> b = SmallBmp(topDown);
        const auto img = DecodeBmp24(b.data(), b.size());
        ASSERT_TRUE(img) << topDown;
        EXPECT_EQ(img->pixels, (std::vector<uint32_t>{0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF})) << topDown;
    }
    std::vector<uint8_t> b = SmallBmp(false);
    EXPECT_FALSE(DecodeBmp24(b.data(), b.size() - 1));  // last row cut short
    EXPECT_FALSE(DecodeBmp24(nullptr, 0));
    b[28] = 32;  // another depth
    EXPECT_FALSE(DecodeBmp24(b.data(), b.size()));
    b = SmallBmp(false);
    b[10] = 200;  // pixels said to start past the end
    EXPECT_FALSE(DecodeBmp24(b.data(), b.size()));
}

TEST(CompiledPetalFrames, EverySizeIsTheCommittedBitmaps) {
    for (int32_t size : {16, 24, 32, 48}) {
        const auto frames = LoadPetalFrames(size);
        ASSERT_TRUE(frames) << size;
        EXPECT_EQ(frames->count(), kSpriteFrames);
        // The compiled-in copy is the file as committed (a stale build would differ).
        const std::string name = std::string(FLUTTERA_SOURCE_DIR "/assets/petals/sprite") +
                                 (size == 16 ? "" : std::to_string(size)) + "_07.bmp";
        std::ifstream in(name, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const auto file = DecodeBmp24(bytes.data(), bytes.size());
        ASSERT_TRUE(file) << name;
        EXPECT_TRUE(std::equal(file->pixels.begin(), file->pixels.end(), frames->Sprite(7))) << size;
    }
    EXPECT_FALSE(LoadPetalFrames(20));
}

}  // namespace
}  // namespace petals
