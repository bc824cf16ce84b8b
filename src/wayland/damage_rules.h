// The damage a pass reports to the compositor. A wlroots compositor (sway 1.7 with wlroots
// 0.15, at least) keeps an output's damage as a banded region and repaints a frame's damage
// together with the last frame's (which its other buffer lacks); once that region holds more
// than 20 rectangles it repaints their bounding box instead: the rectangles of scattered
// petals would have it repaint the box around all of them each frame. So the damage is the
// changed rectangles gathered into strips, joined until they and the last frame's damage
// make few enough rectangles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "petals/pixels.h"

namespace wayland {

// The rectangles a wlroots compositor repaints in one go, at most.
constexpr std::size_t kCompositorMaxRects = 20;

// How many rectangles the banded region covering both lists holds, the way the compositor
// keeps damage: rows of bands, each a sorted list of disjoint spans, where a band with the
// same spans as the one right above it extends that one rather than adding rectangles.
class BandedCount {
public:
    // Makes room for lists of `rects` rectangles together.
    void Reserve(std::size_t rects);
    std::size_t operator()(const std::vector<petals::PixelRect>& a, const std::vector<petals::PixelRect>& b);

private:
    using Span = std::pair<int32_t, int32_t>;
    std::vector<int32_t> edges_;
    std::vector<Span> spans_, runs_, above_;
};

class DamageShaper {
public:
    // Makes room for `rects` changed rectangles a pass, so that passes allocate nothing.
    void Reserve(std::size_t rects);

    // The damage for a pass that changed `changed` (covering all of it), given the last
    // frame's damage; it becomes the last frame's damage for the next pass.
    const std::vector<petals::PixelRect>& Shape(const std::vector<petals::PixelRect>& changed);

private:
    // The two neighbouring strips whose bounding box adds the least area become that box.
    void JoinNeighbours();

    std::vector<petals::PixelRect> damage_, last_;
    BandedCount count_;
};

}  // namespace wayland
