#include "petals/screens.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/conversions.h"

namespace {

using petals::Monitor;
using petals::PixelRect;
using petals::SpriteDraw;
using petals::Screens;

TEST(SpriteSize, IsTheCarriedSizeNearestToSixteenTimesTheScale) {
    struct Case { uint32_t dpi; int32_t size; } cases[] = {
        {96, 16},  {0, 16},    {72, 16},   {110, 16},  {120, 24},  // 20: halfway, the larger
        {144, 24}, {168, 32},  {192, 32},  {240, 48},  {288, 48},  {600, 48},
    };
    for (const auto& c : cases) EXPECT_EQ(petals::SpriteSizeFor(c.dpi), c.size) << c.dpi;
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

// Rectangles below as left, top, width, height.
PixelRect R(int32_t left, int32_t top, int32_t width, int32_t height) {
    return PixelRect{left, top, left + width, top + height};
}

std::vector<Layout> Layouts() {
    return {
        {"one 96-dpi screen", {{R(0, 0, 1280, 800), 96}}, R(0, 0, 1280, 800), {{0, 1280, 800, 16}}},
        {"one 192-dpi screen", {{R(0, 0, 1280, 800), 192}}, R(0, 0, 1280, 800), {{0, 640, 400, 32}}},
        {"side by side",
         {{R(1920, 0, 1280, 1024), 96}, {R(0, 0, 1920, 1080), 96}},
         R(0, 0, 3200, 1080),
         {{1, 1920, 1080, 16}, {0, 1280, 1024, 16}}},
        {"stacked, 150 % below",
         {{R(0, 0, 1280, 800), 96}, {R(0, 800, 1920, 1200), 144}},
         R(0, 0, 1920, 2000),
         {{0, 1280, 800, 16}, {1, 1280, 800, 24}}},
        {"left of the primary, mixed scales",
         {{R(0, 0, 1920, 1080), 96}, {R(-3840, 0, 3840, 2160), 192}},
         R(-3840, 0, 5760, 2160),
         {{0, 1920, 1080, 16}, {1, 1920, 1080, 32}}},
        {"above the primary at 300 %",
         {{R(-200, -1440, 2880, 1440), 288}, {R(0, 0, 1366, 768), 120}},
         R(-200, -1440, 2880, 2208),
         {{1, 1093, 614, 24}, {0, 960, 480, 48}}},
        {"a monitor smaller than a sprite",
         {{R(0, 0, 1024, 768), 96}, {R(1024, 0, 20, 12), 192}},
         R(0, 0, 1044, 768),
         {{0, 1024, 768, 16}, {1, 10, 6, 32}}},
    };
}

// Each screen's draws, in buffer pixels, as its own model gives them alone: one plain
// petal table per monitor on its logical surface, run in the expected order from one random
// sequence, positions scaled and moved to the monitor. [pass][screen][draw]
using Passes = std::vector<std::vector<std::vector<SpriteDraw>>>;
Passes Reference(const Layout& l, uint32_t seed, int32_t petals, int passes) {
    std::vector<petals::PetalTable> tables;
    for (std::size_t i = 0; i < l.screens.size(); ++i) tables.emplace_back(petals);
    fw::Lcg24Random random;
    random.Seed(seed);
    const auto surface = [&](const Expected& e) { return petals::Surface{e.width, e.height, e.width}; };
    for (std::size_t i = 0; i < l.screens.size(); ++i)
        petals::SetInitialValues(tables[i], surface(l.screens[i]), random);
    Passes out(passes, std::vector<std::vector<SpriteDraw>>(l.screens.size()));
    std::vector<SpriteDraw> draws;
    for (int pass = 0; pass < passes; ++pass) {
        for (std::size_t i = 0; i < l.screens.size(); ++i) {
            const Monitor& m = l.monitors[l.screens[i].monitor];
            const double scale = m.dpi / 96.0;
            petals::Step(tables[i], surface(l.screens[i]), random, draws);
            for (const auto& d : draws)
                out[pass][i].push_back(
                    SpriteDraw{m.rect.left - l.buffer.left + static_cast<int32_t>(fw::RoundHalfEven(d.x * scale)),
                               m.rect.top - l.buffer.top + static_cast<int32_t>(fw::RoundHalfEven(d.y * scale)),
                               d.frame});
        }
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
        std::vector<petals::SpriteFrames> frames;
        for (std::size_t i = 0; i < l.screens.size(); ++i) {
            const Expected& e = l.screens[i];
            EXPECT_EQ(screens[i].monitor.rect, l.monitors[e.monitor].rect) << i;
            EXPECT_EQ(screens[i].logical.width, e.width) << i;
            EXPECT_EQ(screens[i].logical.height, e.height) << i;
            EXPECT_EQ(screens[i].spriteSize, e.sprite) << i;
            EXPECT_EQ(screens[i].table.size(), static_cast<std::size_t>(kPetals) + 1) << i;
            frames.emplace_back(petals::kSpriteFrames, e.sprite);
        }
        // Drawn for real into a buffer over the virtual screen, to see where pixels change.
        std::vector<uint32_t> pixels(static_cast<std::size_t>(l.buffer.Width()) * l.buffer.Height());
        const petals::PixelView back{pixels.data(), l.buffer.Width(), l.buffer.Height(), l.buffer.Width()};
        const Passes reference = Reference(l, 4242, kPetals, kPasses);
        fw::Lcg24Random random;
        random.Seed(4242);
        screens.SetInitialValues(random);
        std::vector<int> visible(l.screens.size());
        for (int pass = 0; pass < kPasses; ++pass) {
            screens.Step(random);
            for (std::size_t i = 0; i < screens.size(); ++i) {
                const auto& draws = screens[i].draws;
                ASSERT_EQ(draws, reference[pass][i]) << "pass " << pass << " screen " << i;
                const PixelRect& m = l.monitors[l.screens[i].monitor].rect;
                for (const SpriteDraw& d : draws) {
                    const PixelRect r = petals::DrawSprite(back, frames[i], d.frame, d.x, d.y, screens[i].clip);
                    if (r.Empty()) continue;
                    ++visible[i];
                    // Whatever shows of it lies on its own monitor.
                    ASSERT_GE(r.left + l.buffer.left, m.left);
                    ASSERT_GE(r.top + l.buffer.top, m.top);
                    ASSERT_LE(r.right + l.buffer.left, m.right);
                    ASSERT_LE(r.bottom + l.buffer.top, m.bottom);
                }
            }
        }
        for (std::size_t i = 0; i < visible.size(); ++i) EXPECT_GT(visible[i], 0) << "screen " << i << " never drew";
    }
}

TEST(Screens, LeavesOutMonitorsWithoutAreaOrOutsideTheBuffer) {
    const std::vector<Monitor> monitors = {
        {R(0, 0, 800, 600), 96}, {R(800, 0, 0, 600), 96}, {R(5000, 0, 800, 600), 96}, {R(-10, 0, 20, 600), 96}};
    Screens screens(monitors, R(0, 0, 800, 600), 5);
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].monitor.rect, monitors[0].rect);
    // A monitor reaching past the buffer is cut to it.
    EXPECT_EQ(screens[1].clip, R(0, 0, 10, 600));
    EXPECT_EQ(screens.Rows(), 12u);
}

}  // namespace
