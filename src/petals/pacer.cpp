#include "petals/pacer.h"

#include <algorithm>

namespace petals {

Pacer::Pacer(int64_t ticksPerSecond, int32_t passesPerSecond)
    : ticksPerSecond_(std::max<int64_t>(ticksPerSecond, 1)), passesPerSecond_(std::max<int32_t>(passesPerSecond, 1)) {}

// Pass k of a schedule is due k/60 s after its start, computed from the start each time so
// a period that is not a whole number of ticks does not drift. The index is cut back at
// every restart, and a restart comes at least once per 2^31 passes, so this cannot
// overflow for any real clock rate.
int64_t Pacer::Due(int64_t pass) const {
    const int64_t whole = pass / passesPerSecond_, part = pass % passesPerSecond_;
    return base_ + whole * ticksPerSecond_ + part * ticksPerSecond_ / passesPerSecond_;
}

void Pacer::Start(int64_t now) {
    base_ = now;
    next_ = 0;
}

int64_t Pacer::TicksUntilNext(int64_t now) const {
    const int64_t due = Due(next_);
    if (now >= due) return 0;
    // A clock that went back: never wait longer than one period.
    return std::min(due - now, (ticksPerSecond_ + passesPerSecond_ - 1) / passesPerSecond_);
}

uint32_t Pacer::MillisecondsUntilNext(int64_t now) const {
    const int64_t ticks = TicksUntilNext(now);
    return static_cast<uint32_t>((ticks * 1000 + ticksPerSecond_ - 1) / ticksPerSecond_);
}

void Pacer::PassStarted(int64_t now) {
    // More than half a period behind, before the clock, or far into a schedule: start again.
    const int64_t halfPeriod = ticksPerSecond_ / (2 * int64_t{passesPerSecond_});
    if (now - Due(next_) > halfPeriod || now < base_ || next_ >= (int64_t{1} << 31)) {
        Start(now);
        next_ = 1;
        return;
    }
    ++next_;
}

}  // namespace petals
