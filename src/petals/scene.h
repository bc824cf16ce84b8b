// The saver's picture, pass after pass, for any front end: the petals of every monitor,
// the one random source they draw from, the sprite frames of each scale and the compositor
// that puts the snapshot back and draws them. A front end supplies the clock that paces it,
// the pixels (the snapshot and the back buffer) and the presentation of what changed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/ports.h"
#include "petals/compositor.h"
#include "petals/pixels.h"
#include "petals/screens.h"

namespace petals {

// Where the random source starts: the seconds since local midnight, as the saver always did.
uint32_t TimeOfDaySeed();

class Scene {
public:
    // PetalCount + 1 petals a monitor; the random source starts at `seed`.
    Scene(int32_t petalCount, uint32_t seed);

    // Lays the petals over these monitors within `buffer` (the virtual screen): a new petal
    // table for each, with its starting values; the next pass restores and presents the whole
    // buffer. The frames already given are kept, so only new sizes need loading.
    void Lay(const std::vector<Monitor>& monitors, const PixelRect& buffer);

    // The sprite sizes some monitor draws with that have no frames yet.
    std::vector<int32_t> MissingFrameSizes() const;
    // The frames of one of the carried sizes (kSpriteSizes); other sizes are not kept. Each
    // frame's box is found here, once: passes restore, draw and present only the boxes.
    void SetFrames(SpriteFrames frames);

    // One pass: every petal moves, the snapshot goes back where the last pass drew, this
    // pass's petals are drawn into `back`; returns the rectangles to present (valid until
    // the next pass). Both views cover the buffer given to Lay. Allocates nothing.
    const std::vector<PixelRect>& Pass(const PixelView& snapshot, const PixelView& back);

    // The next pass restores and presents the whole buffer (after the window was spoiled).
    void InvalidateAll() { compositor_.InvalidateAll(); }

    const Screens& screens() const { return screens_; }
    Compositor& compositor() { return compositor_; }
    std::size_t Rows() const { return screens_.Rows(); }

private:
    int32_t petalCount_;
    fw::Lcg24Random random_;
    Screens screens_;
    std::array<SpriteFrames, kSpriteSizeCount> frames_;
    Compositor compositor_;
};

}  // namespace petals
