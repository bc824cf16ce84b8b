// The Linux hack's portable parts: its command line and the BMP reader behind its
// compiled-in petal frames.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "display/bmp_image.h"
#include "display/hack_options.h"
#include "display/petal_frames.h"
#include "display/petal_model.h"

namespace display {
namespace {

TEST(HackOptions, CountsOutOfRangeOrMalformedFallBackSafely) {
    struct Case { const char* text; int32_t count; bool warned; };
    const Case cases[] = {
        {"0", 0, false},      {"500", 500, false}, {"+7", 7, false},     {"501", 500, true},
        {"-1", 0, true},      {"99999999999999", 500, true},             {"abc", 300, true},
        {"", 300, true},      {"12x", 300, true},  {"1e3", 300, true},   {" 5", 300, true},
        {"9999999999999999999999", 300, true},
    };
    for (const Case& c : cases) {
        const HackOptions o = ParseHackOptions({"--count", c.text});
        EXPECT_TRUE(o.ok) << c.text;
        EXPECT_EQ(o.count, c.count) << c.text;
        EXPECT_EQ(!o.messages.empty(), c.warned) << c.text;
    }
}

TEST(HackOptions, WindowIdsDecimalOrHexOnly) {
    struct Case { const char* text; unsigned long id; };  // 0: refused
    const Case cases[] = {
        {"42", 42},  {"0x2a", 42}, {"0X2A", 42}, {"010", 10}, {"4294967295", 4294967295ul},
        {"4294967296", 0}, {"0x100000000", 0}, {"0", 0}, {"0x", 0}, {"-5", 0}, {"12ab", 0}, {"", 0}, {"0xg1", 0},
    };
    for (const Case& c : cases) {
        const auto id = ParseWindowId(c.text);
        EXPECT_EQ(id.value_or(0), c.id) << c.text;
        const HackOptions o = ParseHackOptions({"-window-id", c.text});
        EXPECT_EQ(o.ok, c.id != 0) << c.text;
        if (c.id) {
            EXPECT_EQ(o.target, HackTarget::WindowId);
            EXPECT_EQ(o.windowId, c.id);
        }
    }
}

TEST(HackOptions, SwitchesAndRefusals) {
    const HackOptions d = ParseHackOptions({});
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.target, HackTarget::Default);
    EXPECT_EQ(d.count, 300);
    EXPECT_FALSE(d.fps || d.help || d.scale);

    const HackOptions o = ParseHackOptions({"-root", "--fps", "--scale", "1.5", "--help"});
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(o.target, HackTarget::Root);
    EXPECT_TRUE(o.fps && o.help);
    EXPECT_EQ(o.scale.value_or(0), 1.5);

    for (const std::vector<std::string>& both : std::vector<std::vector<std::string>>{
             {"--root", "--window-id", "7"}, {"--window-id", "7", "--root"}}) {
        const HackOptions w = ParseHackOptions(both);
        EXPECT_EQ(w.target, HackTarget::WindowId);
        EXPECT_EQ(w.windowId, 7u);
    }

    for (const char* bad : {"0.4", "4.5", "nan", "inf", "2x", ""}) {
        const HackOptions s = ParseHackOptions({"--scale", bad});
        EXPECT_TRUE(s.ok) << bad;
        EXPECT_FALSE(s.scale) << bad;
        EXPECT_FALSE(s.messages.empty()) << bad;
    }
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--count"}, {"--window-id"}, {"--scale"}, {"--speed", "3"}, {"root"}, {"---root"}}) {
        EXPECT_FALSE(ParseHackOptions(args).ok) << args[0];
    }
}

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
}  // namespace display
