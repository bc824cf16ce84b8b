// The committed state pictures: size, format and the frame colours the face relies on.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Picture {
    int width = 0, height = 0, bitsPerPixel = 0;
    std::vector<uint8_t> bytes;  // the whole file
    uint32_t dataOffset = 0;
    // Colour at (x, y), top row first, as 0xRRGGBB.
    uint32_t At(int x, int y) const {
        const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
        const size_t row = static_cast<size_t>(height - 1 - y);  // stored bottom-up
        const size_t i = dataOffset + row * stride + static_cast<size_t>(x) * 3;
        return uint32_t(bytes[i + 2]) << 16 | uint32_t(bytes[i + 1]) << 8 | bytes[i];
    }
};

std::string AssetPath(const std::string& name) {
    std::string root = FLUTTERA_SOURCE_DIR;
#ifdef _WIN32
    if (!root.empty() && root[0] == '/') root = "Z:" + root;  // the Unix tree under Wine
#endif
    return root + "/assets/button/" + name + ".bmp";
}

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = v << 8 | b.at(at + i);
    return v;
}

// Reads a bottom-up, uncompressed 24-bit BMP; fails the test otherwise.
Picture Load(const std::string& name) {
    Picture p;
    std::FILE* f = std::fopen(AssetPath(name).c_str(), "rb");
    if (!f) {
        ADD_FAILURE() << "cannot open " << AssetPath(name);
        return p;
    }
    uint8_t buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) p.bytes.insert(p.bytes.end(), buf, buf + n);
    std::fclose(f);
    if (p.bytes.size() < 54 || p.bytes[0] != 'B' || p.bytes[1] != 'M') {
        ADD_FAILURE() << name << " is not a BMP";
        return p;
    }
    p.dataOffset = Le(p.bytes, 10, 4);
    p.width = static_cast<int32_t>(Le(p.bytes, 18, 4));
    p.height = static_cast<int32_t>(Le(p.bytes, 22, 4));
    p.bitsPerPixel = static_cast<int>(Le(p.bytes, 28, 2));
    EXPECT_EQ(Le(p.bytes, 30, 4), 0u) << name << " is compressed";
    const size_t stride = (static_cast<size_t>(p.width > 0 ? p.width : 0) * 3 + 3) & ~size_t{3};
    if (p.bitsPerPixel != 24 || p.width <= 0 || p.height <= 0 ||
        p.bytes.size() < p.dataOffset + stride * static_cast<size_t>(p.height)) {
        ADD_FAILURE() << name << ": not a complete bottom-up 24-bit picture";
        p.width = p.height = 0;
    }
    return p;
}

const char* const kNames[] = {"normal", "highlight", "highlightselect", "selected", "pressed", "disable"};
constexpr uint32_t kOutline = 0x003C74;

// Middles of the four sides of ring `d`: top, bottom, left, right.
struct Point { int x, y; };
std::vector<Point> SideMiddles(int d) { return {{32, d}, {32, 24 - d}, {d, 12}, {63 - d, 12}}; }

TEST(ButtonPictures, AllAre64By25At24Bits) {
    for (const char* name : kNames) {
        Picture p = Load(name);
        EXPECT_EQ(p.width, 64) << name;
        EXPECT_EQ(p.height, 25) << name;
        EXPECT_EQ(p.bitsPerPixel, 24) << name;
    }
}

TEST(ButtonPictures, OutlineLiesOnTheSecondRingOrTheThirdWhenPressed) {
    struct Case { const char* name; int ring; } cases[] = {
        {"normal", 1}, {"highlight", 1}, {"highlightselect", 1}, {"selected", 1}, {"pressed", 2},
    };
    for (const auto& c : cases) {
        Picture p = Load(c.name);
        if (p.width != 64 || p.height != 25) continue;
        for (int d = 0; d < 4; ++d)
            for (Point pt : SideMiddles(d)) {
                if (d == c.ring) {
                    EXPECT_EQ(p.At(pt.x, pt.y), kOutline) << c.name << " at " << pt.x << "," << pt.y;
                } else {
                    EXPECT_NE(p.At(pt.x, pt.y), kOutline) << c.name << " at " << pt.x << "," << pt.y;
                }
            }
        // Softened corners: the outline's corner pixel is not the outline colour.
        EXPECT_NE(p.At(c.ring, c.ring), kOutline) << c.name;
    }
    Picture disable = Load("disable");
    for (int y = 0; y < disable.height; ++y)
        for (int x = 0; x < disable.width; ++x) ASSERT_NE(disable.At(x, y), kOutline) << x << "," << y;
}

TEST(ButtonPictures, RimsHaveTheirColours) {
    struct Pixel { const char* name; int x, y; uint32_t rgb; } pixels[] = {
        {"normal", 32, 0, 0xE0DCC9},    {"normal", 32, 2, 0xF3F3EE},    {"normal", 32, 22, 0xD6D0C5},
        {"highlight", 32, 0, 0xE0DCC9}, {"highlight", 32, 2, 0xFFF0CF}, {"highlight", 32, 3, 0xFDD889},
        {"highlight", 32, 21, 0xF8B330}, {"highlight", 32, 22, 0xE59700},
        {"selected", 32, 2, 0xCEE7FF},  {"selected", 32, 22, 0x6982EE},
        {"pressed", 32, 0, 0xECE9D8},   {"pressed", 32, 1, 0xE0DCC9},   {"pressed", 32, 3, 0xD1CCC1},
        {"disable", 32, 0, 0xECE9D8},   {"disable", 32, 1, 0xC9C7BA},   {"disable", 2, 12, 0xF5F4EA},
        {"disable", 32, 3, 0xF5F4EA},
    };
    for (const auto& px : pixels) {
        Picture p = Load(px.name);
        if (p.width != 64 || p.height != 25) continue;
        EXPECT_EQ(p.At(px.x, px.y), px.rgb) << px.name << " at " << px.x << "," << px.y << std::hex
                                            << " is " << p.At(px.x, px.y);
    }
    // The side rims shade down their length within their hue: orange, then blue.
    Picture hl = Load("highlight");
    Picture sel = Load("selected");
    if (hl.width == 64 && sel.width == 64) {
        for (int x : {2, 3, 60, 61}) {
            EXPECT_EQ(hl.At(x, 4) >> 16, 0xFEu) << x;
            EXPECT_EQ(hl.At(x, 20) >> 16, 0xF9u) << x;
            EXPECT_GT(hl.At(x, 4) & 0xFF00, hl.At(x, 20) & 0xFF00) << x;    // darker green lower down
            EXPECT_GT(sel.At(x, 12) & 0xFF, (sel.At(x, 12) >> 16) & 0xFF) << x;  // more blue than red
            EXPECT_GT(sel.At(x, 4) >> 16, sel.At(x, 20) >> 16) << x;
        }
    }
}

TEST(ButtonPictures, HighLightSelectIsHighLight) {
    Picture a = Load("highlight");
    Picture b = Load("highlightselect");
    ASSERT_FALSE(a.bytes.empty());
    EXPECT_EQ(a.bytes, b.bytes);
}

}  // namespace
