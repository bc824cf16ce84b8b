#include "display/screens.h"

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "framework/conversions.h"

namespace display {
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

// The overlap of two rectangles; an empty one when they do not meet.
PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
    const int64_t left = std::max<int64_t>(a.left, b.left), top = std::max<int64_t>(a.top, b.top);
    const int64_t right = std::min(a.right(), b.right()), bottom = std::min(a.bottom(), b.bottom());
    if (left >= right || top >= bottom) return PixelRect{};
    return PixelRect{static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right - left),
                     static_cast<int32_t>(bottom - top)};
}

// The primary monitor sits at the virtual screen's origin; the rest follow by position.
bool ComesFirst(const Monitor& a, const Monitor& b) {
    const bool aPrimary = a.rect.left == 0 && a.rect.top == 0;
    const bool bPrimary = b.rect.left == 0 && b.rect.top == 0;
    return std::make_tuple(!aPrimary, a.rect.top, a.rect.left) < std::make_tuple(!bPrimary, b.rect.top, b.rect.left);
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

std::optional<SpriteBlit> ClipScaled(const ScaledDraw& draw) {
    const PixelRect square{draw.x, draw.y, draw.size, draw.size};
    const PixelRect visible = Intersect(square, draw.clip);
    if (visible.width == 0) return std::nullopt;
    SpriteBlit b;
    b.dstX = visible.left;
    b.dstY = visible.top;
    b.srcX = static_cast<int32_t>(int64_t{visible.left} - draw.x);
    b.srcY = static_cast<int32_t>(int64_t{visible.top} - draw.y);
    b.width = visible.width;
    b.height = visible.height;
    return b;
}

Screens::Screens(const std::vector<Monitor>& monitors, const PixelRect& buffer, int32_t petalCount)
    : buffer_(buffer) {
    std::vector<Monitor> ordered = monitors;
    std::stable_sort(ordered.begin(), ordered.end(), ComesFirst);
    const PixelRect whole{0, 0, buffer.width, buffer.height};
    for (const Monitor& m : ordered) {
        // The monitor in buffer pixels: the buffer's top-left is the virtual screen's.
        const PixelRect shifted{static_cast<int32_t>(int64_t{m.rect.left} - buffer.left),
                                static_cast<int32_t>(int64_t{m.rect.top} - buffer.top), m.rect.width, m.rect.height};
        const PixelRect clip = Intersect(shifted, whole);
        if (clip.width == 0) continue;
        const uint32_t dpi = Dpi(m);
        const int32_t width = ToLogical(m.rect.width, dpi);
        const int32_t height = ToLogical(m.rect.height, dpi);
        screens_.push_back(Screen{m, clip, Surface{width, height, width}, SpriteSizeFor(dpi), PetalTable(petalCount), {}});
        display::ReserveDraws(screens_.back().table, screens_.back().draws);
    }
}

void Screens::SetInitialValues(fw::RandomSource& random) {
    for (Screen& s : screens_) display::SetInitialValues(s.table, s.logical, random);
}

void Screens::ReserveDraws(std::vector<ScaledDraw>& draws) const {
    const std::size_t rows = Rows();
    if (draws.capacity() < rows) draws.reserve(rows);
}

std::size_t Screens::Rows() const {
    std::size_t rows = 0;
    for (const Screen& s : screens_) rows += s.table.size();
    return rows;
}

void Screens::Step(fw::RandomSource& random, std::vector<ScaledDraw>& draws) {
    draws.clear();
    ReserveDraws(draws);
    for (std::size_t i = 0; i < screens_.size(); ++i) {
        Screen& s = screens_[i];
        display::Step(s.table, s.logical, random, s.draws);
        const uint32_t dpi = Dpi(s.monitor);
        // The monitor's origin in buffer pixels (before any cut to the buffer).
        const int64_t originX = int64_t{s.monitor.rect.left} - buffer_.left;
        const int64_t originY = int64_t{s.monitor.rect.top} - buffer_.top;
        for (const SpriteDraw& d : s.draws) {
            const auto x = ToPhysical(d.x, dpi), y = ToPhysical(d.y, dpi);
            if (!x || !y) continue;
            const int64_t bx = originX + *x, by = originY + *y;
            // A position beyond the int range cannot be drawn; skip it, not the pass.
            if (bx < INT32_MIN || bx > INT32_MAX || by < INT32_MIN || by > INT32_MAX) continue;
            draws.push_back(ScaledDraw{static_cast<int32_t>(bx), static_cast<int32_t>(by), s.spriteSize, d.frame,
                                       s.clip, i});
        }
    }
}

}  // namespace display
