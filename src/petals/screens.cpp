#include "petals/screens.h"

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "framework/conversions.h"

namespace petals {
namespace {

constexpr uint32_t kBaseDpi = 96;

uint32_t Dpi(const Monitor& m) { return m.dpi == 0 ? kBaseDpi : m.dpi; }

// A length in physical pixels from one in logical pixels: times dpi / 96, halves to even.
// Worked as x * dpi / 96 so the common scales (96, 120, 144, 192, 288 dpi) are exact.
std::optional<int32_t> ToPhysical(int32_t logical, uint32_t dpi) {
    return fw::ToInt32(static_cast<double>(logical) * dpi / kBaseDpi);
}

// The other way, for the logical surface: the monitor's size divided by its scale.
int32_t ToLogical(int32_t physical, uint32_t dpi) {
    return fw::ToInt32(static_cast<double>(physical) * kBaseDpi / dpi).value_or(0);
}

// The primary monitor sits at the virtual screen's origin; the rest follow by position.
bool ComesFirst(const Monitor& a, const Monitor& b) {
    const bool aPrimary = a.rect.left == 0 && a.rect.top == 0 && !a.rect.Empty();
    const bool bPrimary = b.rect.left == 0 && b.rect.top == 0 && !b.rect.Empty();
    return std::make_tuple(!aPrimary, a.rect.top, a.rect.left) < std::make_tuple(!bPrimary, b.rect.top, b.rect.left);
}

// A rectangle moved by (dx, dy), its edges kept in the int range.
PixelRect Shifted(const PixelRect& r, int64_t dx, int64_t dy) {
    const auto clamp = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    return PixelRect{clamp(r.left + dx), clamp(r.top + dy), clamp(r.right + dx), clamp(r.bottom + dy)};
}

}  // namespace

int32_t SpriteSizeFor(uint32_t dpi) {
    if (dpi == 0) dpi = kBaseDpi;
    // 16 x dpi / 96 = dpi / 6: compare 6 x size with dpi to stay in integers.
    int32_t best = kSpriteSizes[0];
    for (int32_t size : kSpriteSizes) {
        const int64_t distance = std::llabs(int64_t{size} * 6 - dpi);
        const int64_t bestDistance = std::llabs(int64_t{best} * 6 - dpi);
        if (distance <= bestDistance) best = size;  // sizes ascend, so a tie takes the larger
    }
    return best;
}

Screens::Screens(const std::vector<Monitor>& monitors, const PixelRect& buffer, int32_t petalCount)
    : buffer_(buffer) {
    std::vector<Monitor> ordered = monitors;
    std::stable_sort(ordered.begin(), ordered.end(), ComesFirst);
    const PixelRect whole{0, 0, buffer.Width(), buffer.Height()};
    screens_.reserve(ordered.size());
    for (const Monitor& m : ordered) {
        if (m.rect.Empty()) continue;
        // The monitor in buffer pixels: the buffer's top-left is the virtual screen's.
        const PixelRect clip = Intersect(Shifted(m.rect, -int64_t{buffer.left}, -int64_t{buffer.top}), whole);
        if (clip.Empty()) continue;
        const uint32_t dpi = Dpi(m);
        const int32_t width = ToLogical(m.rect.Width(), dpi);
        const int32_t height = ToLogical(m.rect.Height(), dpi);
        screens_.push_back(
            Screen{m, clip, Surface{width, height, width}, SpriteSizeFor(dpi), PetalTable(petalCount), {}, {}});
        Screen& s = screens_.back();
        ReserveDraws(s.table, s.logicalDraws);
        s.draws.reserve(s.table.size());
    }
}

void Screens::SetInitialValues(fw::RandomSource& random) {
    for (Screen& s : screens_) petals::SetInitialValues(s.table, s.logical, random);
}

std::size_t Screens::Rows() const {
    std::size_t rows = 0;
    for (const Screen& s : screens_) rows += s.table.size();
    return rows;
}

void Screens::Step(fw::RandomSource& random) {
    for (Screen& s : screens_) {
        petals::Step(s.table, s.logical, random, s.logicalDraws);
        s.draws.clear();
        const uint32_t dpi = Dpi(s.monitor);
        // The monitor's origin in buffer pixels (before any cut to the buffer).
        const int64_t originX = int64_t{s.monitor.rect.left} - buffer_.left;
        const int64_t originY = int64_t{s.monitor.rect.top} - buffer_.top;
        for (const SpriteDraw& d : s.logicalDraws) {
            const auto x = ToPhysical(d.x, dpi), y = ToPhysical(d.y, dpi);
            if (!x || !y) continue;
            const int64_t bx = originX + *x, by = originY + *y;
            // A position beyond the int range cannot be drawn; skip it, not the pass.
            if (bx < INT32_MIN || bx > INT32_MAX || by < INT32_MIN || by > INT32_MAX) continue;
            s.draws.push_back(SpriteDraw{static_cast<int32_t>(bx), static_cast<int32_t>(by), d.frame});
        }
    }
}

}  // namespace petals
