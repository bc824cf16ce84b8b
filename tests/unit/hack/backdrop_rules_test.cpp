// The Linux hack's backdrop: whose window it was handed, and the desktop picture tiled
// under a window as the root shows it.
#include <gtest/gtest.h>

#include "hack/backdrop_rules.h"

namespace hack {
namespace {

using S = BackdropSource;

TEST(BackdropRules, TheSaverDecidesTheSource) {
    const WindowFacts plain{{"WM_NAME", "_NET_WM_PID"}, ""};
    const std::vector<S> xss{S::ImageHelper, S::ScreenStill}, other{S::RootPicture, S::ScreenStill};
    struct Case { const char* what; std::vector<WindowFacts> chain; bool handed; std::vector<S> sources; };
    const Case cases[] = {
        {"XScreenSaver 6 saver window", {{{"_SCREENSAVER_SCREENSHOT"}, "XScreenSaver"}}, true, xss},
        {"XScreenSaver 6, no screenshot", {{{"WM_COMMAND"}, "XScreenSaver"}}, true, xss},
        {"XScreenSaver 5 saver window", {{{"_SCREENSAVER_VERSION"}, ""}}, true, xss},
        {"settings preview in its dialog", {plain, {{}, "Xscreensaver-settings"}}, true, xss},
        {"MATE: a child of its toplevel", {plain, {{"WM_NAME"}, "Mate-screensaver"}}, true, other},
        {"a class only like XScreenSaver's", {{{}, "xscreensaver"}}, true, other},
        {"no saver named a window", {}, false, {S::ScreenStill}},
    };
    for (const Case& c : cases) EXPECT_EQ(BackdropSources(c.handed, MadeByXScreenSaver(c.chain)), c.sources) << c.what;
}

TEST(BackdropRules, TheTiledPictureLiesUnderTheWindowAsOnTheRoot) {
    struct Case { int x, y, width, height, xFrom, xLength, yFrom, yLength; };
    const Case cases[] = {
        {1, 1, 2, 2, 1, 2, 1, 2},    // inside a 4x3 picture: only its part is read
        {3, 0, 2, 1, 0, 4, 0, 1},    // across a seam
        {-1, -4, 2, 1, 0, 4, 2, 1},  // left of and above the origin (a window partly off the screen)
        {0, 0, 9, 7, 0, 4, 0, 3},    // larger than the picture
    };
    for (const Case& c : cases) {
        const Span xs = TileSpan(c.x, c.width, 4), ys = TileSpan(c.y, c.height, 3);
        EXPECT_EQ(std::vector<int>({xs.from, xs.length, ys.from, ys.length}),
                  std::vector<int>({c.xFrom, c.xLength, c.yFrom, c.yLength})) << c.x << "," << c.y;
        std::vector<uint32_t> part, out;  // the picture's pixel (x, y) holds 10 * y + x
        for (int y = ys.from; y < ys.from + ys.length; ++y)
            for (int x = xs.from; x < xs.from + xs.length; ++x) part.push_back(static_cast<uint32_t>(10 * y + x));
        TileUnder(part, xs, ys, 4, 3, c.x, c.y, c.width, c.height, out);
        ASSERT_EQ(out.size(), static_cast<size_t>(c.width * c.height));
        for (int row = 0; row < c.height; ++row)
            for (int col = 0; col < c.width; ++col)
                EXPECT_EQ(out[static_cast<size_t>(row) * c.width + col],
                          static_cast<uint32_t>(10 * (((c.y + row) % 3 + 3) % 3) + ((c.x + col) % 4 + 4) % 4))
                    << c.x << "," << c.y << " at " << col << "," << row;
    }
}

}  // namespace
}  // namespace hack
