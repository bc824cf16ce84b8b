// The Wayland program's decisions: its command line, each output's surface layout, which
// input ends it, and which frame callbacks run a pass.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wayland/options.h"
#include "wayland/output_rules.h"

namespace wayland {
namespace {

TEST(WaylandOptions, TheHacksOptionsWhereTheyMeanSomethingElseRefused) {
    struct Case { std::vector<std::string> args; bool ok, help, version; int32_t count; size_t messages; };
    const Case cases[] = {
        {{}, true, false, false, 300, 0},
        {{"--count", "40"}, true, false, false, 40, 0},
        {{"-count", "900"}, true, false, false, 500, 1},  // out of range: the bound, with a warning
        {{"--version"}, true, false, true, 300, 0},
        {{"-h"}, true, true, false, 300, 0},
        {{"--help", "--root"}, false, false, false, 300, 1},  // a fault wins over help
        {{"--window-id", "0x20"}, false, false, false, 300, 1},
        {{"--scale", "2"}, false, false, false, 300, 1},
        {{"--fps"}, false, false, false, 300, 1},
        {{"--version", "--bogus"}, false, false, false, 300, 1},
        {{"--count"}, false, false, false, 300, 1},
    };
    for (const Case& c : cases) {
        const WaylandOptions o = ParseWaylandOptions(c.args);
        const std::string line = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(o.ok, c.ok) << line;
        EXPECT_EQ(o.help, c.help) << line;
        EXPECT_EQ(o.version, c.version) << line;
        EXPECT_EQ(o.count, c.count) << line;
        EXPECT_EQ(o.messages.size(), c.messages) << line;
    }
}

TEST(WaylandLayout, EachOutputAtItsOwnScaleWithPetalsAtThatDensity) {
    struct Case { int32_t w, h, scale; uint32_t preferred120; bool viewporter; SurfaceLayout want; };
    const Case cases[] = {
        {1280, 720, 1, 0, true, {1280, 720, 1, false, 96}},
        {640, 360, 2, 0, true, {1280, 720, 2, false, 192}},  // sway's scale 2: twice the petals
        {640, 360, 0, 0, false, {640, 360, 1, false, 96}},   // no scale told: 1
        {853, 480, 2, 180, true, {1280, 720, 1, true, 144}}, // 1.5, 853 * 1.5 = 1279.5 rounds up
        {853, 480, 2, 180, false, {1706, 960, 2, false, 192}},  // no viewporter: the whole scale
        {1000, 500, 1, 150, true, {1250, 625, 1, true, 120}},
        {8192, 100, 2, 0, true, {16384, 200, 2, false, 192}},   // the largest side drawn
        {8193, 100, 2, 0, true, {}},                            // past it: no surface
        {0, 720, 1, 0, true, {}},
        {1280, 720, 1, 0xFFFFFFFFu, true, {}},
        {1280, 720, 0x7FFFFFFF, 0, true, {}},
    };
    for (const Case& c : cases) {
        const SurfaceLayout l = LayoutSurface(c.w, c.h, c.scale, c.preferred120, c.viewporter);
        const std::string at = std::to_string(c.w) + "x" + std::to_string(c.h) + "@" + std::to_string(c.scale) + "/" +
                               std::to_string(c.preferred120);
        EXPECT_EQ(l.bufferWidth, c.want.bufferWidth) << at;
        EXPECT_EQ(l.bufferHeight, c.want.bufferHeight) << at;
        EXPECT_EQ(l.bufferScale, c.want.bufferScale) << at;
        EXPECT_EQ(l.viewport, c.want.viewport) << at;
        EXPECT_EQ(l.dpi, c.want.dpi) << at;
        EXPECT_EQ(l.Empty(), c.want.bufferWidth == 0) << at;
    }
}

TEST(WaylandInput, AKeyOrAClickEndsItMovingTheMouseDoesNot) {
    struct Case { InputEvent e; bool ends; };
    const Case cases[] = {
        {InputEvent::KeyPressed, true},         {InputEvent::KeyReleased, false},
        {InputEvent::KeyboardEnter, false},     {InputEvent::KeysHeldOnNewKeyboard, true},
        {InputEvent::ButtonPressed, true},      {InputEvent::ButtonReleased, false},
        {InputEvent::PointerEnter, false},      {InputEvent::PointerMotion, false},
        {InputEvent::Scroll, false},            {InputEvent::Touch, true},
    };
    for (const Case& c : cases) EXPECT_EQ(EndsSaver(c.e), c.ends) << static_cast<int>(c.e);
}

// Frame callbacks at `hz` for ten seconds, with `jitterUs` of alternating jitter, and
// every tenth one `lateUs` late (a busy compositor or machine): the passes they run.
int PassesInTenSeconds(double hz, int64_t jitterUs, int64_t lateUs) {
    FramePace pace(1000000000);
    int passes = 0;
    for (int k = 0; k * 1e9 / hz < 10e9; ++k) {
        const int64_t at = static_cast<int64_t>(k * 1e9 / hz) + (k % 2 ? jitterUs : -jitterUs) * 1000 +
                           (k % 10 == 5 ? lateUs * 1000 : 0) + 5000000;
        passes += pace.OnFrame(at) ? 1 : 0;
    }
    return passes;
}

TEST(WaylandFramePace, OnePassPerCallbackAtSixtyHertzNeverMoreThanSixtyASecond) {
    struct Case { double hz; int64_t jitterUs, lateUs; int least, most; };
    const Case cases[] = {
        {60, 0, 0, 600, 600},     {60, 2000, 0, 600, 600},  {60, 0, 9000, 600, 600}, {60, 1000, 14000, 600, 600},
        {59.94, 500, 0, 599, 600}, {60.05, 0, 0, 595, 601}, {30, 0, 0, 300, 300},    {75, 0, 0, 598, 601},
        {120, 300, 0, 598, 601},  {144, 0, 0, 598, 601},    {144, 0, 5000, 598, 601}, {240, 0, 0, 598, 601},
        {1000, 0, 0, 598, 601},
    };
    for (const Case& c : cases) {
        const int passes = PassesInTenSeconds(c.hz, c.jitterUs, c.lateUs);
        EXPECT_GE(passes, c.least) << c.hz << " Hz, " << c.lateUs << " us late";
        EXPECT_LE(passes, c.most) << c.hz << " Hz, " << c.lateUs << " us late";
    }
}

TEST(WaylandFramePace, AnOutputBackFromRestPassesAtOnceWithoutCatchingUp) {
    FramePace pace(1000000000);
    EXPECT_TRUE(pace.OnFrame(0));
    EXPECT_FALSE(pace.OnFrame(5000000));  // 5 ms later on a fast output: too soon
    EXPECT_TRUE(pace.OnFrame(16666667));
    // 90 s without callbacks, then a second of them at 144 Hz: a pass at once, and the
    // second's passes at most one more than its 60.
    const int64_t back = 90000000000;
    EXPECT_TRUE(pace.OnFrame(back));
    int passes = 1;
    for (int k = 1; k < 144; ++k) passes += pace.OnFrame(back + k * 1000000000LL / 144) ? 1 : 0;
    EXPECT_LE(passes, 61);
    EXPECT_GE(passes, 59);
}

}  // namespace
}  // namespace wayland
