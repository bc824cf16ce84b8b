// The saver's pace: a pass every 1/60 s on a tick clock of any resolution (the
// performance counter on Windows, the monotonic clock on X11). The petal model's speeds are
// per pass, so a steady pass rate is what makes the fall look the same on every machine.
#pragma once

#include <cstdint>

namespace petals {

class Pacer {
public:
    // ticksPerSecond: the clock's resolution; passesPerSecond: the pace (60).
    explicit Pacer(int64_t ticksPerSecond, int32_t passesPerSecond = 60);

    // The first pass is due at `now`.
    void Start(int64_t now);

    // Ticks from `now` until the next pass is due; 0 when it is due already.
    int64_t TicksUntilNext(int64_t now) const;
    // The same, in whole milliseconds rounded up (what a millisecond wait needs).
    uint32_t MillisecondsUntilNext(int64_t now) const;

    // A pass starts at `now`. Passes keep to the grid of their start time, so waking a
    // little late never slows the pace; but a pass that starts more than half a period
    // behind (the machine cannot keep up, or the process was stopped) starts the schedule
    // again from now: never a burst of catch-up passes.
    void PassStarted(int64_t now);

    int64_t ticksPerSecond() const { return ticksPerSecond_; }

private:
    int64_t Due(int64_t pass) const;

    int64_t ticksPerSecond_;
    int32_t passesPerSecond_;
    int64_t base_ = 0;  // the start of the current schedule
    int64_t next_ = 0;  // index of the next due pass since base_
};

}  // namespace petals
