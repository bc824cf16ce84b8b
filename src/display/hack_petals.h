// The petals of the Linux hack on one window: the model on its logical surface (the
// window's size over the scale) with its draws multiplied by the scale, as the Windows
// saver does for a monitor. Kept behind this small interface so the front end deals only
// in buffer pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/ports.h"

namespace display {

// One sprite in window pixels: the square's top-left corner and size, and its frame.
struct HackDraw {
    int32_t x = 0, y = 0, size = 0, frame = 0;
};

class HackPetals {
public:
    // scale: the petal scale (dpi / 96); petalCount: the table has petalCount + 1 rows.
    HackPetals(int32_t width, int32_t height, double scale, int32_t petalCount);
    ~HackPetals();

    // The sprite size the window draws with (16, 24, 32 or 48).
    int32_t SpriteSize() const;
    // Petal rows in all: the most sprites a pass can draw.
    std::size_t Rows() const;
    void SetInitialValues(fw::RandomSource& random);
    // One pass; `draws` gets this pass's sprites in drawing order. Allocates nothing once
    // `draws` has had a pass's worth of room.
    void Step(fw::RandomSource& random, std::vector<HackDraw>& draws);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace display
