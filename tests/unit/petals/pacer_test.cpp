#include "petals/pacer.h"

#include <gtest/gtest.h>

namespace {

using petals::Pacer;

// A performance counter's usual rate: 1/60 s is 166666.67 ticks, not a whole number.
constexpr int64_t kHz = 10'000'000;

TEST(Pacer, PassesOnTimeKeepSixtyASecondWithoutDrift) {
    Pacer pacer(kHz);
    pacer.Start(5);
    int64_t now = 5;
    for (int pass = 0; pass < 600; ++pass) {
        ASSERT_EQ(pacer.TicksUntilNext(now), 0);
        pacer.PassStarted(now);
        now += pacer.TicksUntilNext(now);
    }
    EXPECT_EQ(now, 5 + 10 * kHz);  // the 601st pass is due exactly ten seconds after the first
}

TEST(Pacer, LateWakeKeepsTheGridAndALatePassRestartsIt) {
    Pacer pacer(kHz);
    pacer.Start(0);
    pacer.PassStarted(0);
    // Woken 2 ms late: the next pass is still due on the grid, not a period after the wake.
    pacer.PassStarted(186'666);
    EXPECT_EQ(pacer.TicksUntilNext(186'666), 333'333 - 186'666);
    // Started over half a period behind (stopped, or a slow machine): no catch-up, one
    // period from now.
    pacer.PassStarted(333'333 + 83'334);
    EXPECT_EQ(pacer.TicksUntilNext(416'667), 166'666);
    pacer.PassStarted(900'000);
    EXPECT_EQ(pacer.TicksUntilNext(900'000), 166'666);
    EXPECT_EQ(pacer.TicksUntilNext(900'000 + 166'666), 0);
}

TEST(Pacer, AMachineThatCannotKeepUpRunsPassesBackToBackNeverInBursts) {
    // Passes take 1.6 periods each for a while, then a tenth of one: the slow passes run
    // back to back, and after them the pace is one pass a period at once, with no run of
    // owed passes.
    Pacer pacer(kHz);
    int64_t now = 0;
    pacer.Start(now);
    int64_t lastStart = 0;
    for (int pass = 0; pass < 100; ++pass) {
        now += pacer.TicksUntilNext(now);
        pacer.PassStarted(now);
        if (pass > 0 && pass <= 50) {
            EXPECT_EQ(now - lastStart, 266'666) << pass;
        } else if (pass > 50) {
            EXPECT_GE(now - lastStart, 166'666) << pass;
        }
        lastStart = now;
        now += pass < 50 ? 266'666 : 16'666;
    }
}

TEST(Pacer, MillisecondWaitsRoundUpAndAClockThatWentBackWaitsAtMostAPeriod) {
    Pacer pacer(kHz);
    pacer.Start(1'000'000);
    pacer.PassStarted(1'000'000);
    EXPECT_EQ(pacer.MillisecondsUntilNext(1'000'000), 17u);          // 16.67 ms
    EXPECT_EQ(pacer.MillisecondsUntilNext(1'000'000 + 166'000), 1u);  // 0.07 ms
    EXPECT_EQ(pacer.MillisecondsUntilNext(1'000'000 + 166'667), 0u);
    EXPECT_EQ(pacer.TicksUntilNext(0), 166'667);
    // The same with a millisecond clock (clock_gettime read in ms, say).
    Pacer ms(1000);
    ms.Start(0);
    ms.PassStarted(0);
    EXPECT_EQ(ms.MillisecondsUntilNext(0), 16u);
}

}  // namespace
