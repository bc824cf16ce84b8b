// The petal model of the saver: a table of petals that fall, sway and tumble, and the
// rules of one animation pass. It knows nothing of windows: each pass reads the size of
// the drawing surface, draws uniform random numbers, and yields the ordered list of
// sprite draws that the window then copies onto its back buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "framework/ports.h"

namespace petals {

// Sprite frames: 16 poses of one petal, each a 16 x 16 mask and sprite pair.
constexpr int32_t kSpriteFrames = 16;
constexpr int32_t kSpriteSize = 16;

// One petal: nine single floats, in this order, flags and counters included.
struct PetalRow {
    float BaseX = 0;          // horizontal base position before the centre offset
    float SwayAmplitude = 0;  // pixels of sideways sway
    float SwayPhase = 0;      // phase counter of the sway, +2 per pass
    float FallY = 0;          // top edge of the sprite, downwards from the top
    float FallSpeed = 0;      // pixels fallen per pass
    float SpinDirection = 0;  // 0: frames step forward, 1: backward
    float FrameTicks = 0;     // shown passes since the last frame step
    float Shown = 0;          // 1: this fall is drawn
    float SpriteFrame = 0;    // index of the current sprite frame
};
static_assert(sizeof(PetalRow) == 9 * sizeof(float), "a petal row is nine packed floats");

// Rows 0 to PetalCount inclusive, so PetalCount + 1 petals; allocated once, zero-filled,
// never resized. A negative count gives an empty table (nothing falls).
class PetalTable {
public:
    explicit PetalTable(int32_t petalCount);

    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    PetalRow& operator[](std::size_t i) { return rows_[i]; }
    const PetalRow& operator[](std::size_t i) const { return rows_[i]; }
    PetalRow* begin() { return rows_.data(); }
    PetalRow* end() { return rows_.data() + rows_.size(); }
    const PetalRow* begin() const { return rows_.data(); }
    const PetalRow* end() const { return rows_.data() + rows_.size(); }

private:
    std::vector<PetalRow> rows_;
};

// What a pass reads of the drawing surface, in pixels. The outer width equals the client
// width for the borderless full-screen surface, but it is a separate reading.
struct Surface {
    int32_t width = 0;
    int32_t height = 0;
    int32_t outerWidth = 0;
};

// One sprite to draw: top-left corner on the surface and frame index (0..15).
struct SpriteDraw {
    int32_t x = 0;
    int32_t y = 0;
    int32_t frame = 0;
    bool operator==(const SpriteDraw& o) const { return x == o.x && y == o.y && frame == o.frame; }
};

// Gives every petal its starting values: hidden, at a random height, with a random speed
// and spin direction. Three random numbers per row, in row order.
void SetInitialValues(PetalTable& table, const Surface& surface, fw::RandomSource& random);

// One pass of the model over every row, ascending: fall, sway, respawn past the bottom
// edge, and for shown petals a sprite draw and the frame tick. The draws of the pass
// replace the contents of `draws`, in row order (later rows cover earlier ones). The
// buffer never needs more than one entry per row; once it has that capacity (see
// ReserveDraws) a pass allocates nothing.
void Step(PetalTable& table, const Surface& surface, fw::RandomSource& random,
          std::vector<SpriteDraw>& draws);

// The horizontal position of a shown petal before rounding: its base, its sway and the
// centre offset of three eighths of the outer width.
float PetalX(const PetalRow& petal, int32_t outerWidth);

// Makes `draws` large enough for every pass over `table`.
void ReserveDraws(const PetalTable& table, std::vector<SpriteDraw>& draws);

}  // namespace petals
