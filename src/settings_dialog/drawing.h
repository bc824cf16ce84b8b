// What the dialog draws, as numbers: the gradient behind the panel and where the
// texture strip is laid over the panel. The Windows side only copies and fills.
#pragma once

#include "framework/ports.h"

#include <cstdint>
#include <vector>

namespace dialog {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// The colour of each one-pixel row of the gradient for a client height, row 0 first:
// one half-wave of a sine, dark blue-black at the edges, pale in the middle.
std::vector<Rgb> GradientRows(double clientHeight);

// The top-left corners at which a stripWidth x stripHeight strip is copied to cover a
// targetWidth x targetHeight picture, in the order they are copied: column by column,
// each from the top down, tiles past the edges being clipped by the copy. An empty or
// negative strip gives no tiles.
std::vector<fw::Point> TilePositions(int stripWidth, int stripHeight, int targetWidth, int targetHeight);

}  // namespace dialog
