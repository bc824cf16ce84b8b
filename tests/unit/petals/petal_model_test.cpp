#include "petals/petal_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using petals::PetalRow;
using petals::PetalTable;
using petals::SpriteDraw;
using petals::Surface;

// Hands out a scripted sequence of numbers and counts how many were asked for.
class ScriptedRandom final : public fw::RandomSource {
public:
    explicit ScriptedRandom(std::vector<float> values = {}) : values_(std::move(values)) {}
    void Seed(uint32_t) override {}
    float Next() override {
        const float v = calls_ < values_.size() ? values_[calls_] : 0.0f;
        ++calls_;
        return v;
    }
    std::size_t calls() const { return calls_; }

private:
    std::vector<float> values_;
    std::size_t calls_ = 0;
};

const Surface kFullHd{1920, 1080, 1920};

// A petal that is drawn this fall, well above the bottom edge, not swaying.
PetalRow ShownPetal() {
    PetalRow p;
    p.Shown = 1;
    p.FallY = 0;
    p.FallSpeed = 0.5f;
    return p;
}

std::vector<SpriteDraw> Pass(PetalTable& table, const Surface& s, fw::RandomSource& r) {
    std::vector<SpriteDraw> draws;
    petals::Step(table, s, r, draws);
    return draws;
}

TEST(PetalTable, HasOneRowMoreThanThePetalCount) {
    struct Case { int32_t count; std::size_t rows; } cases[] = {
        {0, 1}, {1, 2}, {300, 301}, {32767, 32768}, {-1, 0}, {-2, 0}, {-32768, 0},
    };
    for (const auto& c : cases) {
        PetalTable table(c.count);
        EXPECT_EQ(table.size(), c.rows) << c.count;
        for (const PetalRow& p : table) {
            ASSERT_EQ(p.FallY, 0.0f);
            ASSERT_EQ(p.Shown, 0.0f);
            ASSERT_EQ(p.SpriteFrame, 0.0f);
        }
    }
}

TEST(PetalTable, EmptyTableDrawsNothingAndUsesNoRandomNumbers) {
    PetalTable table(-5);
    ScriptedRandom random;
    petals::SetInitialValues(table, kFullHd, random);
    EXPECT_TRUE(Pass(table, kFullHd, random).empty());
    EXPECT_EQ(random.calls(), 0u);
}

TEST(PetalTable, LargestCountRunsAPass) {
    PetalTable table(32767);
    fw::Lcg24Random random;
    petals::SetInitialValues(table, kFullHd, random);
    for (int i = 0; i < 3; ++i) Pass(table, kFullHd, random);
    EXPECT_EQ(table.size(), 32768u);
}

TEST(InitialValues, DrawHeightSpeedAndSpinPerRowInThatOrder) {
    PetalTable table(1);
    table[0].SwayAmplitude = 0;  // stays as allocated
    ScriptedRandom random({0.25f, 0.5f, 0.75f, 0.1f, 0.0f, 0.4999f});
    petals::SetInitialValues(table, Surface{640, 400, 640}, random);
    EXPECT_EQ(random.calls(), 6u);

    EXPECT_FLOAT_EQ(table[0].FallY, 100.0f);
    EXPECT_FLOAT_EQ(table[0].FallSpeed, 0.6f);
    EXPECT_EQ(table[0].SpinDirection, 1.0f);
    EXPECT_FLOAT_EQ(table[1].FallY, 40.0f);
    EXPECT_FLOAT_EQ(table[1].FallSpeed, 0.5f);
    EXPECT_EQ(table[1].SpinDirection, 0.0f);  // floor, not rounding
    for (const PetalRow& p : table) {
        EXPECT_EQ(p.BaseX, 0.0f);
        EXPECT_EQ(p.SwayAmplitude, 0.0f);
        EXPECT_EQ(p.SwayPhase, 0.0f);
        EXPECT_EQ(p.Shown, 0.0f);
        EXPECT_EQ(p.FrameTicks, 0.0f);
        EXPECT_EQ(p.SpriteFrame, 0.0f);
    }
}

TEST(Respawn, DrawsBaseAmplitudePhaseSpeedInThatOrderAndFlipsShown) {
    PetalTable table(0);
    PetalRow& p = table[0];
    p.FallY = 1080;
    p.FallSpeed = 0.5f;
    p.SwayPhase = 500;
    p.SpinDirection = 1;
    p.FrameTicks = 4;
    p.SpriteFrame = 9;
    ScriptedRandom random({0.3f, 0.6f, 0.9f, 0.5f});
    const auto draws = Pass(table, kFullHd, random);

    EXPECT_EQ(random.calls(), 4u);
    EXPECT_FLOAT_EQ(p.BaseX, 192.0f);           // 0.3 * 1920 / 3
    EXPECT_FLOAT_EQ(p.SwayAmplitude, 245.0f);   // 0.6 * 75 + 200
    EXPECT_FLOAT_EQ(p.SwayPhase, 2.7f);         // 0.9 * 3, the +2 of the pass came before
    EXPECT_EQ(p.FallY, -10.0f);
    EXPECT_FLOAT_EQ(p.FallSpeed, 0.6f);         // 0.5 * 0.2 + 0.5
    EXPECT_EQ(p.Shown, 1.0f);
    // Drawn in the pass that respawned it, with the frame it carried; then it ticks.
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].y, -10);
    EXPECT_EQ(draws[0].frame, 9);
    EXPECT_EQ(p.SpinDirection, 1.0f);
    EXPECT_EQ(p.FrameTicks, 5.0f);
    EXPECT_EQ(p.SpriteFrame, 9.0f);
}

TEST(Respawn, SpeedIsComputedWithDoubleConstants) {
    // 0.2 and 0.5 are double constants: r * 0.2 + 0.5 in singles would end one bit higher.
    const float r = 10485767.0f / 16777216.0f;
    const float inDoubles = static_cast<float>(static_cast<double>(r) * 0.2 + 0.5);
    ASSERT_NE(inDoubles, r * 0.2f + 0.5f);
    PetalTable table(0);
    table[0].FallY = 2000;
    ScriptedRandom random({0, 0, 0, r});
    Pass(table, kFullHd, random);
    EXPECT_EQ(table[0].FallSpeed, inDoubles);
}

TEST(Respawn, OnlyWhenStrictlyBelowTheBottomEdge) {
    PetalTable table(0);
    table[0].FallY = 1079.5f;
    table[0].FallSpeed = 0.5f;
    ScriptedRandom random({0.5f, 0.5f, 0.5f, 0.5f});
    Pass(table, kFullHd, random);
    EXPECT_EQ(table[0].FallY, 1080.0f);  // exactly on the edge: falls on
    EXPECT_EQ(random.calls(), 0u);
    EXPECT_EQ(table[0].Shown, 0.0f);

    Pass(table, kFullHd, random);        // 1080.5 > 1080
    EXPECT_EQ(random.calls(), 4u);
    EXPECT_EQ(table[0].FallY, -10.0f);
    EXPECT_EQ(table[0].Shown, 1.0f);
}

TEST(FirstPass, DrawsOnlyAPetalThatRespawnsInIt) {
    // H = 100. Row 0 starts at 50; row 1 at 99.9 with speed 0.68 crosses the edge at once;
    // row 2 at 99.5 with speed 0.5 lands on it exactly.
    PetalTable table(2);
    ScriptedRandom random({0.5f, 0.5f, 0.0f, 0.999f, 0.9f, 0.0f, 0.995f, 0.0f, 0.0f,
                           /* respawn of row 1 */ 0.0f, 0.0f, 0.0f, 0.0f});
    const Surface s{160, 100, 160};
    petals::SetInitialValues(table, s, random);
    const auto draws = Pass(table, s, random);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].y, -10);
    EXPECT_EQ(draws[0].frame, 0);
    EXPECT_EQ(table[1].Shown, 1.0f);
    EXPECT_EQ(table[0].Shown, 0.0f);
    EXPECT_EQ(table[2].Shown, 0.0f);
    EXPECT_EQ(table[2].FallY, 100.0f);
}

TEST(Frames, StepEverySixShownPassesAndWrap) {
    struct Case { float direction; float start; std::vector<int> expected; } cases[] = {
        {0, 14, {14, 15, 0, 1}},
        {1, 1, {1, 0, 15, 14}},
    };
    for (const auto& c : cases) {
        PetalTable table(0);
        table[0] = ShownPetal();
        table[0].SpinDirection = c.direction;
        table[0].SpriteFrame = c.start;
        ScriptedRandom random;
        std::vector<int> seen;
        for (int pass = 0; pass < 24; ++pass) {
            const auto draws = Pass(table, kFullHd, random);
            ASSERT_EQ(draws.size(), 1u);
            seen.push_back(draws[0].frame);
        }
        for (int k = 0; k < 4; ++k)
            for (int j = 0; j < 6; ++j) EXPECT_EQ(seen[k * 6 + j], c.expected[k]) << "pass " << k * 6 + j;
        EXPECT_EQ(random.calls(), 0u);
    }
}

TEST(Frames, KeptAcrossRespawnAndHiddenFall) {
    PetalTable table(0);
    PetalRow& p = table[0];
    p = ShownPetal();
    p.FallY = 99.9f;
    p.FallSpeed = 0.5f;
    p.FrameTicks = 3;
    p.SpriteFrame = 7;
    ScriptedRandom random(std::vector<float>(8, 0.0f));  // two respawns, speed 0.5
    const Surface s{160, 100, 160};

    EXPECT_TRUE(Pass(table, s, random).empty());  // respawned hidden
    EXPECT_EQ(p.Shown, 0.0f);
    EXPECT_EQ(p.FrameTicks, 3.0f);
    // 110 pixels at 0.5 a pass: the 221st hidden pass respawns it shown and draws it.
    for (int pass = 1; pass < 221; ++pass) {
        ASSERT_TRUE(Pass(table, s, random).empty()) << pass;
        ASSERT_EQ(p.FrameTicks, 3.0f);
        ASSERT_EQ(p.SpriteFrame, 7.0f);
    }
    const auto draws = Pass(table, s, random);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].y, -10);
    EXPECT_EQ(draws[0].frame, 7);
    EXPECT_EQ(p.FrameTicks, 4.0f);
    EXPECT_EQ(random.calls(), 8u);
}

TEST(Position, RoundsHalvesToEven) {
    // BaseX + (outer width / 8) * 3 with no sway; FallY after the pass's fall.
    struct Case { float baseX, fallY; int32_t outer; int32_t x, y; } cases[] = {
        {10.5f, 11.0f, 0, 10, 12},   {11.5f, 10.0f, 0, 12, 10},  {4.5f, -11.0f, 16, 10, -10},
        {-10.5f, 0.0f, 0, -10, 0},   {0.25f, 0.0f, 1920, 720, 0}, {0.75f, 0.0f, 1000, 376, 0},
    };
    for (const auto& c : cases) {
        PetalTable table(0);
        table[0] = ShownPetal();
        table[0].BaseX = c.baseX;
        table[0].FallY = c.fallY;
        ScriptedRandom random;
        const auto draws = Pass(table, Surface{1920, 1080, c.outer}, random);
        ASSERT_EQ(draws.size(), 1u);
        EXPECT_EQ(draws[0].x, c.x) << c.baseX << " " << c.outer;
        EXPECT_EQ(draws[0].y, c.y) << c.fallY;
    }
}

TEST(Position, SwayUsesSixPointTwoEightInDoubles) {
    // After the pass the phase is 924.5: 6.28 gives a sway of -38.47 pixels, 2 pi would
    // give none, and the same formula in single precision gives -38.54.
    PetalTable table(0);
    table[0] = ShownPetal();
    table[0].SwayAmplitude = 200;
    table[0].SwayPhase = 922.5f;
    ScriptedRandom random;
    const auto draws = Pass(table, Surface{1920, 1080, 0}, random);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].x, -38);

    const double phase = 924.5;
    const float x = petals::PetalX(table[0], 0);
    EXPECT_NEAR(x, -38.4716, 1e-3);
    const double twoPi = 6.283185307179586;
    EXPECT_NEAR(200.0 * std::sin(twoPi * phase) * std::cos(phase / 100), 0.0, 1e-6);
    EXPECT_EQ(std::lround(200.0f * std::sin(6.28f * 924.5f) * std::cos(924.5f / 100.0f)), -39);
}

TEST(Draws, FollowRowOrderAndSkipHiddenPetals) {
    PetalTable table(5);
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = ShownPetal();
        table[i].BaseX = static_cast<float>(100 - 10 * static_cast<int>(i));
        table[i].Shown = (i == 2) ? 0.0f : 1.0f;
    }
    ScriptedRandom random;
    const auto draws = Pass(table, Surface{1920, 1080, 0}, random);
    const std::vector<int> xs = {100, 90, 80, 70, 60, 50};
    ASSERT_EQ(draws.size(), 5u);
    std::size_t k = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (i == 2) continue;
        EXPECT_EQ(draws[k++].x, xs[i]);
    }
}

TEST(Draws, AboutHalfThePetalsShowOnceTheFirstFallsAreOver) {
    PetalTable table(300);
    fw::Lcg24Random random;
    random.Seed(43210);
    const Surface s{640, 200, 640};
    petals::SetInitialValues(table, s, random);
    std::vector<SpriteDraw> draws;
    petals::ReserveDraws(table, draws);
    // All petals start hidden, so the first falls run nearly in step and the shown share
    // swings widely; falls of 300 to 420 passes drift apart within some ten of them.
    for (int pass = 0; pass < 10000; ++pass) petals::Step(table, s, random, draws);

    double total = 0;
    const int samples = 10000;
    for (int pass = 0; pass < samples; ++pass) {
        petals::Step(table, s, random, draws);
        const double share = static_cast<double>(draws.size()) / table.size();
        ASSERT_GT(share, 0.25) << pass;
        ASSERT_LT(share, 0.75) << pass;
        total += share;
        for (const SpriteDraw& d : draws) {
            // Drift centre in [0.375 W, 0.708 W), up to 275 pixels either side.
            ASSERT_GE(d.x, 240 - 276);
            ASSERT_LE(d.x, 454 + 276);
            ASSERT_GE(d.y, -10);
            ASSERT_LE(d.y, 200);
            ASSERT_GE(d.frame, 0);
            ASSERT_LT(d.frame, 16);
        }
    }
    EXPECT_NEAR(total / samples, 0.5, 0.05);
}

TEST(Draws, APassAllocatesNothing) {
    PetalTable table(300);
    fw::Lcg24Random random;
    const Surface s{320, 100, 320};
    petals::SetInitialValues(table, s, random);
    std::vector<SpriteDraw> draws;
    petals::Step(table, s, random, draws);  // reserves on its first use
    const SpriteDraw* data = draws.data();
    const std::size_t capacity = draws.capacity();
    EXPECT_GE(capacity, table.size());
    std::size_t most = 0;
    for (int pass = 0; pass < 3000; ++pass) {
        petals::Step(table, s, random, draws);
        most = std::max(most, draws.size());
        ASSERT_EQ(draws.data(), data);
        ASSERT_EQ(draws.capacity(), capacity);
    }
    EXPECT_GT(most, 100u);  // the buffer was really used
}

}  // namespace
