// The saver on every monitor, at every scale. Each monitor runs its own petal table on a
// logical surface of its size divided by its scale (dpi / 96), exactly as the model runs on
// a 96-dpi screen; its draws are then multiplied by the scale, drawn with the sprite made
// for that scale and clipped to the monitor, all into one buffer over the virtual screen.
// One 96-dpi monitor gives exactly the model's own draws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "petals/petal_model.h"
#include "petals/pixels.h"
#include "framework/ports.h"

namespace petals {

// What the system says of one monitor: where it lies on the virtual screen (it may start
// left of or above the primary monitor, at negative coordinates) and its DPI.
struct Monitor {
    PixelRect rect;
    uint32_t dpi = 96;  // 0 (unknown) counts as 96
};

// The sprite sizes the program carries: 100, 150, 200 and 300 %.
constexpr int32_t kSpriteSizes[] = {16, 24, 32, 48};
constexpr std::size_t kSpriteSizeCount = sizeof(kSpriteSizes) / sizeof(kSpriteSizes[0]);

// The carried size nearest to 16 x dpi / 96; halfway between two, the larger.
int32_t SpriteSizeFor(uint32_t dpi);

// One monitor as the saver sees it.
struct Screen {
    Monitor monitor;
    PixelRect clip;       // the monitor in buffer pixels, cut to the buffer
    Surface logical;      // the surface its petal model runs on
    int32_t spriteSize = kSpriteSize;
    PetalTable table;
    std::vector<SpriteDraw> logicalDraws;  // its model's draws of the last pass
    std::vector<SpriteDraw> draws;         // the same scaled, in buffer pixels, to draw clipped to `clip`
};

// Every monitor's petals, drawn into a buffer that covers `buffer` (the virtual screen).
// Screens are kept in a fixed order whatever order the system listed them in: the primary
// (the one at the origin) first, then top to bottom, left to right. Each takes its random
// numbers from the one source in that order, so with one monitor the sequence is the
// model's own. Monitors with no area, or outside the buffer, are left out.
class Screens {
public:
    Screens(const std::vector<Monitor>& monitors, const PixelRect& buffer, int32_t petalCount);

    // Every table's starting values, screen by screen.
    void SetInitialValues(fw::RandomSource& random);
    // One pass of every table, screen by screen; each screen's `draws` then holds its
    // sprites in row order. A pass allocates nothing.
    void Step(fw::RandomSource& random);

    std::size_t size() const { return screens_.size(); }
    const Screen& operator[](std::size_t i) const { return screens_[i]; }
    // Every petal row of every screen.
    std::size_t Rows() const;

private:
    PixelRect buffer_;
    std::vector<Screen> screens_;
};

}  // namespace petals
