// Cost of one petal-model pass per petal, on a full-HD surface, and proof that a pass
// allocates nothing: this binary counts every global operator new, and the count taken
// over the timed loop is reported as the "allocs" counter (expected: 0).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "petals/compositor.h"
#include "petals/petal_frames.h"
#include "petals/petal_model.h"

namespace {
std::atomic<long long> g_allocations{0};
}

// The replacements below pair malloc with free; GCC cannot see that through inlining.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

const petals::Surface kFullHd{1920, 1080, 1920};

// A table of PetalCount + 1 rows that has run long enough for the first falls to be over
// and about half the petals to be shown, so timed passes do the trigonometry a running
// saver does.
struct WarmModel {
    explicit WarmModel(int32_t petalCount) : table(petalCount) {
        random.Seed(12345);
        petals::SetInitialValues(table, kFullHd, random);
        petals::ReserveDraws(table, draws);
        for (int pass = 0; pass < 30000; ++pass) petals::Step(table, kFullHd, random, draws);
    }
    petals::PetalTable table;
    fw::Lcg24Random random;
    std::vector<petals::SpriteDraw> draws;
};

// PetalCount as the argument: the table has one row more.
void BM_PetalPass(benchmark::State& state) {
    WarmModel m(static_cast<int32_t>(state.range(0)));
    auto& [table, random, draws] = m;

    long long drawn = 0;
    const long long before = g_allocations.load();
    for (auto _ : state) {
        petals::Step(table, kFullHd, random, draws);
        drawn += static_cast<long long>(draws.size());
        benchmark::DoNotOptimize(draws.data());
        benchmark::ClobberMemory();
    }
    const long long allocations = g_allocations.load() - before;

    const auto passes = static_cast<long long>(state.iterations());
    state.SetItemsProcessed(passes * static_cast<long long>(table.size()));
    state.counters["petals"] = static_cast<double>(table.size());
    state.counters["allocs"] = static_cast<double>(allocations);
    state.counters["shown"] = passes ? static_cast<double>(drawn) / passes / table.size() : 0.0;
}
BENCHMARK(BM_PetalPass)->Arg(300)->Arg(500);

// The same pass into a fresh buffer each time: shows that the counter does count (one
// allocation per pass) and what the reusable buffer saves.
void BM_PetalPassFreshBuffer(benchmark::State& state) {
    WarmModel m(static_cast<int32_t>(state.range(0)));
    auto& table = m.table;
    auto& random = m.random;

    const long long before = g_allocations.load();
    for (auto _ : state) {
        std::vector<petals::SpriteDraw> draws;
        petals::Step(table, kFullHd, random, draws);
        benchmark::DoNotOptimize(draws.data());
    }
    const long long allocations = g_allocations.load() - before;
    state.SetItemsProcessed(static_cast<long long>(state.iterations()) * static_cast<long long>(table.size()));
    state.counters["allocs"] = static_cast<double>(allocations);
}
BENCHMARK(BM_PetalPassFreshBuffer)->Arg(300);

// The picture side of a pass in memory at full HD: the snapshot put back under the last
// pass's petals, this pass's petals drawn (the 16 x 16 frames, each within its box; with
// FLUTTERA_BENCH_WHOLE_SQUARES=1 whole squares, as before the boxes), the changed
// rectangles joined. What a front end adds is only the presentation of those rectangles.
void BM_CompositorPass(benchmark::State& state) {
    WarmModel m(static_cast<int32_t>(state.range(0)));
    auto& [table, random, draws] = m;
    std::vector<uint32_t> snapshot(1920 * 1080, 0x336699u), back(snapshot);
    const petals::PixelView snap{snapshot.data(), 1920, 1080, 1920}, buffer{back.data(), 1920, 1080, 1920};
    petals::SpriteFrames frames = petals::LoadPetalFrames(petals::kSpriteSize).value_or(petals::SpriteFrames());
    if (std::getenv("FLUTTERA_BENCH_WHOLE_SQUARES") == nullptr) frames.FitBoxes();
    petals::Compositor compositor;
    compositor.Reserve(table.size());
    compositor.Pass(snap, buffer, frames, draws);
    double rects = 0;
    const long long before = g_allocations.load();
    for (auto _ : state) {
        petals::Step(table, kFullHd, random, draws);
        rects += static_cast<double>(compositor.Pass(snap, buffer, frames, draws).size());
        benchmark::ClobberMemory();
    }
    state.counters["allocs"] = static_cast<double>(g_allocations.load() - before);
    state.counters["rects"] = state.iterations() ? rects / static_cast<double>(state.iterations()) : 0.0;
}
BENCHMARK(BM_CompositorPass)->Arg(300)->Arg(500);

}  // namespace

BENCHMARK_MAIN();
