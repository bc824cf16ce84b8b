// fluttera_hack_bench: the hack with passes back to back, counted after a warm-up that lets
// the petals reach their steady number; FLUTTERA_BENCH_BARE=1 runs the bare loop instead
// (the whole backdrop copied and the whole picture presented each pass). It prints
// "hack|bare passes N seconds S size WxH" at its end.
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "hack/hack_x11.h"

namespace {

int64_t NowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

class Counter final : public hack::PassWatcher {
public:
    bool Paced() override { return false; }
    void Starting(petals::Compositor& compositor) override {
        if (const char* cost = std::getenv("FLUTTERA_RECT_COST")) compositor.SetRectCost(std::atoll(cost));
    }
    bool TakePass(const petals::PixelView& snapshot, const petals::PixelView& back) override {
        if (++passes_ == warmup_) countFrom_ = NowNs();
        if (!bare_) return false;
        petals::CopyRect(snapshot, back, back.Bounds());
        return true;
    }
    void Ending(int width, int height) override {
        if (passes_ > warmup_)
            std::printf("%s passes %ld seconds %.3f size %dx%d\n", bare_ ? "bare" : "hack", passes_ - warmup_,
                        static_cast<double>(NowNs() - countFrom_) / 1e9, width, height);
    }

private:
    const bool bare_ = std::getenv("FLUTTERA_BENCH_BARE") != nullptr;
    const long warmup_ = bare_ ? 200 : 4000;
    long passes_ = 0;
    int64_t countFrom_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    Counter counter;
    return hack::RunHack(args, argc > 0 ? argv[0] : "fluttera", &counter);
}
