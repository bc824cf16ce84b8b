// The Linux hack's backdrop: whose window it was handed, and the desktop picture tiled
// under a window as the root shows it.
#include <gtest/gtest.h>

#include "hack/backdrop_rules.h"

namespace hack {
namespace {

using S = BackdropSource;

TEST(BackdropRules, TheSaverDecidesTheSource) {
    const WindowFacts plain{{"WM_NAME", "_NET_WM_PID"}, ""};
    struct Case {
        const char* what;
        std::vector<WindowFacts> chain;
        bool handed;
        std::vector<S> sources;
    };
    const Case cases[] = {
        {"XScreenSaver 6 saver window", {{{"_SCREENSAVER_SCREENSHOT"}, "XScreenSaver"}}, true, {S::ImageHelper, S::ScreenStill}},
        {"XScreenSaver 6, no screenshot", {{{"WM_COMMAND"}, "XScreenSaver"}}, true, {S::ImageHelper, S::ScreenStill}},
        {"XScreenSaver 5 saver window", {{{"_SCREENSAVER_VERSION"}, ""}}, true, {S::ImageHelper, S::ScreenStill}},
        {"settings preview in its dialog", {plain, {{}, "Xscreensaver-settings"}}, true, {S::ImageHelper, S::ScreenStill}},
        {"MATE: a child of its toplevel", {plain, {{"WM_NAME"}, "Mate-screensaver"}}, true, {S::RootPicture, S::ScreenStill}},
        {"a class only like XScreenSaver's", {{{}, "xscreensaver"}}, true, {S::RootPicture, S::ScreenStill}},
        {"no saver named a window", {}, false, {S::ScreenStill}},
    };
    for (const Case& c : cases) EXPECT_EQ(BackdropSources(c.handed, MadeByXScreenSaver(c.chain)), c.sources) << c.what;
}

TEST(BackdropRules, TheTiledPictureLiesUnderTheWindowAsOnTheRoot) {
    // A 4x3 picture whose pixel (x, y) holds 10 * y + x.
    std::vector<uint32_t> tile;
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 4; ++x) tile.push_back(10 * y + x);
    struct Case {
        int x, y, width, height;
        Span xs, ys;
    };
    const Case cases[] = {
        {1, 1, 2, 2, {1, 2}, {1, 2}},   // inside: only its part is read
        {3, 0, 2, 1, {0, 4}, {0, 1}},   // across a seam
        {-1, -4, 2, 1, {0, 4}, {2, 1}}, // left of and above the origin (a window partly off the screen)
        {0, 0, 9, 7, {0, 4}, {0, 3}},   // larger than the picture
    };
    for (const Case& c : cases) {
        const Span xs = TileSpan(c.x, c.width, 4), ys = TileSpan(c.y, c.height, 3);
        EXPECT_EQ(std::make_pair(xs.from, xs.length), std::make_pair(c.xs.from, c.xs.length)) << c.x;
        EXPECT_EQ(std::make_pair(ys.from, ys.length), std::make_pair(c.ys.from, c.ys.length)) << c.y;
        std::vector<uint32_t> part;
        for (int y = ys.from; y < ys.from + ys.length; ++y)
            for (int x = xs.from; x < xs.from + xs.length; ++x) part.push_back(tile[static_cast<size_t>(y) * 4 + x]);
        std::vector<uint32_t> out;
        TileUnder(part, xs, ys, 4, 3, c.x, c.y, c.width, c.height, out);
        ASSERT_EQ(out.size(), static_cast<size_t>(c.width * c.height));
        for (int row = 0; row < c.height; ++row)
            for (int col = 0; col < c.width; ++col) {
                const int tx = ((c.x + col) % 4 + 4) % 4, ty = ((c.y + row) % 3 + 3) % 3;
                EXPECT_EQ(out[static_cast<size_t>(row) * c.width + col], static_cast<uint32_t>(10 * ty + tx))
                    << c.x << "," << c.y << " at " << col << "," << row;
            }
    }
}

}  // namespace
}  // namespace hack
