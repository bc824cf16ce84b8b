#include "display/screens.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/conversions.h"

namespace {

using display::Monitor;
using display::PixelRect;
using display::ScaledDraw;
using display::Screens;

TEST(SpriteSize, IsTheCarriedSizeNearestToSixteenTimesTheScale) {
    struct Case { uint32_t dpi; int32_t size; } cases[] = {
        {96, 16},  {0, 16},    {72, 16},   {110, 16},  {120, 24},  // 20: halfway, the larger
        {144, 24}, {168, 32},  {192, 32},  {240, 48},  {288, 48},  {600, 48},
    };
    for (const auto& c : cases) EXPECT_EQ(display::SpriteSizeFor(c.dpi), c.size) << c.dpi;
}

// What a layout must give: per screen, in the order the screens run, which monitor of the
// system's list it is, its logical surface and its sprite size.
struct Expected {
    std::size_t monitor;
    int32_t width, height, sprite;
};

struct Layout {
    std::string name;
    std::vector<Monitor> monitors;  // as the system lists them
    PixelRect buffer;               // the virtual screen
    std::vector<Expected> screens;
};

std::vector<Layout> Layouts() {
    return {
        {"one 96-dpi screen", {{{0, 0, 1280, 800}, 96}}, {0, 0, 1280, 800}, {{0, 1280, 800, 16}}},
        {"one 192-dpi screen", {{{0, 0, 1280, 800}, 192}}, {0, 0, 1280, 800}, {{0, 640, 400, 32}}},
        {"side by side",
         {{{1920, 0, 1280, 1024}, 96}, {{0, 0, 1920, 1080}, 96}},
         {0, 0, 3200, 1080},
         {{1, 1920, 1080, 16}, {0, 1280, 1024, 16}}},
        {"stacked, 150 % below",
         {{{0, 0, 1280, 800}, 96}, {{0, 800, 1920, 1200}, 144}},
         {0, 0, 1920, 2000},
         {{0, 1280, 800, 16}, {1, 1280, 800, 24}}},
        {"left of the primary, mixed scales",
         {{{0, 0, 1920, 1080}, 96}, {{-3840, 0, 3840, 2160}, 192}},
         {-3840, 0, 5760, 2160},
         {{0, 1920, 1080, 16}, {1, 1920, 1080, 32}}},
        {"above the primary at 300 %",
         {{{-200, -1440, 2880, 1440}, 288}, {{0, 0, 1366, 768}, 120}},
         {-200, -1440, 2880, 2208},
         {{1, 1093, 614, 24}, {0, 960, 480, 48}}},
        {"a monitor smaller than a sprite",
         {{{0, 0, 1024, 768}, 96}, {{1024, 0, 20, 12}, 192}},
         {0, 0, 1044, 768},
         {{0, 1024, 768, 16}, {1, 10, 6, 32}}},
    };
}

// The sprite squares, in buffer pixels, that each screen's own model gives alone: one
// plain petal table per monitor on its logical surface, run in the expected order from one
// random sequence, positions scaled and moved to the monitor.
std::vector<std::vector<ScaledDraw>> Reference(const Layout& l, uint32_t seed, int32_t petals, int passes) {
    std::vector<display::PetalTable> tables;
    for (std::size_t i = 0; i < l.screens.size(); ++i) tables.emplace_back(petals);
    fw::Lcg24Random random;
    random.Seed(seed);
    const auto surface = [&](const Expected& e) { return display::Surface{e.width, e.height, e.width}; };
    for (std::size_t i = 0; i < l.screens.size(); ++i) display::SetInitialValues(tables[i], surface(l.screens[i]), random);
    std::vector<std::vector<ScaledDraw>> out;
    std::vector<display::SpriteDraw> draws;
    for (int pass = 0; pass < passes; ++pass) {
        std::vector<ScaledDraw> all;
        for (std::size_t i = 0; i < l.screens.size(); ++i) {
            const Monitor& m = l.monitors[l.screens[i].monitor];
            const double scale = m.dpi / 96.0;
            display::Step(tables[i], surface(l.screens[i]), random, draws);
            for (const auto& d : draws) {
                ScaledDraw s;
                s.x = m.rect.left - l.buffer.left + static_cast<int32_t>(fw::RoundHalfEven(d.x * scale));
                s.y = m.rect.top - l.buffer.top + static_cast<int32_t>(fw::RoundHalfEven(d.y * scale));
                s.size = l.screens[i].sprite;
                s.frame = d.frame;
                s.screen = i;
                all.push_back(s);
            }
        }
        out.push_back(all);
    }
    return out;
}

TEST(Screens, EachMonitorRunsItsOwnModelScaledAndDrawsOnlyOnItself) {
    constexpr int kPasses = 3000;
    constexpr int32_t kPetals = 40;
    for (const Layout& l : Layouts()) {
        SCOPED_TRACE(l.name);
        Screens screens(l.monitors, l.buffer, kPetals);
        ASSERT_EQ(screens.size(), l.screens.size());
        for (std::size_t i = 0; i < l.screens.size(); ++i) {
            const Expected& e = l.screens[i];
            const Monitor& m = l.monitors[e.monitor];
            EXPECT_EQ(screens[i].monitor.rect, m.rect) << i;
            EXPECT_EQ(screens[i].logical.width, e.width) << i;
            EXPECT_EQ(screens[i].logical.height, e.height) << i;
            EXPECT_EQ(screens[i].spriteSize, e.sprite) << i;
            EXPECT_EQ(screens[i].table.size(), static_cast<std::size_t>(kPetals) + 1) << i;
        }
        const auto reference = Reference(l, 4242, kPetals, kPasses);
        fw::Lcg24Random random;
        random.Seed(4242);
        screens.SetInitialValues(random);
        std::vector<ScaledDraw> draws;
        std::vector<int> visible(l.screens.size());
        for (int pass = 0; pass < kPasses; ++pass) {
            screens.Step(random, draws);
            ASSERT_EQ(draws.size(), reference[pass].size()) << "pass " << pass;
            for (std::size_t k = 0; k < draws.size(); ++k) {
                const ScaledDraw& d = draws[k];
                const ScaledDraw& r = reference[pass][k];
                ASSERT_EQ(d.screen, r.screen) << "pass " << pass << " draw " << k;
                ASSERT_EQ(d.x, r.x) << "pass " << pass << " draw " << k;
                ASSERT_EQ(d.y, r.y) << "pass " << pass << " draw " << k;
                ASSERT_EQ(d.frame, r.frame);
                ASSERT_EQ(d.size, r.size);
                // Whatever shows of it lies on its own monitor.
                const Monitor& m = l.monitors[l.screens[d.screen].monitor];
                const auto blit = display::ClipScaled(d);
                if (!blit) continue;
                ++visible[d.screen];
                ASSERT_GE(blit->dstX + l.buffer.left, m.rect.left);
                ASSERT_GE(blit->dstY + l.buffer.top, m.rect.top);
                ASSERT_LE(int64_t{blit->dstX} + blit->width + l.buffer.left, m.rect.right());
                ASSERT_LE(int64_t{blit->dstY} + blit->height + l.buffer.top, m.rect.bottom());
                ASSERT_GE(blit->srcX, 0);
                ASSERT_GE(blit->srcY, 0);
                ASSERT_LE(blit->srcX + blit->width, d.size);
                ASSERT_LE(blit->srcY + blit->height, d.size);
            }
        }
        for (std::size_t i = 0; i < visible.size(); ++i) EXPECT_GT(visible[i], 0) << "screen " << i << " never drew";
    }
}

TEST(Screens, LeavesOutMonitorsWithoutAreaOrOutsideTheBuffer) {
    const std::vector<Monitor> monitors = {
        {{0, 0, 800, 600}, 96}, {{800, 0, 0, 600}, 96}, {{5000, 0, 800, 600}, 96}, {{-10, 0, 20, 600}, 96}};
    Screens screens(monitors, PixelRect{0, 0, 800, 600}, 5);
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].monitor.rect, monitors[0].rect);
    // A monitor reaching past the buffer is cut to it.
    EXPECT_EQ(screens[1].clip, (PixelRect{0, 0, 10, 600}));
    EXPECT_EQ(screens.Rows(), 12u);
}

TEST(ClipScaled, CutsTheSquareToItsClipAtEveryEdge) {
    const PixelRect clip{100, 50, 200, 100};
    struct Case { int32_t x, y; std::optional<display::SpriteBlit> blit; } cases[] = {
        {150, 80, display::SpriteBlit{0, 0, 150, 80, 32, 32}},
        {90, 40, display::SpriteBlit{10, 10, 100, 50, 22, 22}},
        {280, 130, display::SpriteBlit{0, 0, 280, 130, 20, 20}},
        {68, 80, std::nullopt},     // ends exactly at the clip's left edge
        {300, 80, std::nullopt},    // starts exactly at its right edge
        {INT32_MAX - 4, INT32_MIN, std::nullopt},
    };
    for (const auto& c : cases) {
        ScaledDraw d;
        d.x = c.x;
        d.y = c.y;
        d.size = 32;
        d.clip = clip;
        EXPECT_EQ(display::ClipScaled(d), c.blit) << c.x << "," << c.y;
    }
}

}  // namespace
