// Presenting the changed rectangles of the back buffer on the window.
#pragma once

#include <windows.h>

#include <vector>

#include "display/pixels.h"

namespace display {

class Presenter {
public:
    // How the rectangles reach the window: one copy each, or one copy of their bounding
    // box through a clip region of them. The benchmark build compares them; the saver
    // uses the one that measured cheapest.
    enum class Mode { Rects, Region };

    void SetMode(Mode mode) { mode_ = mode; }
    Mode mode() const { return mode_; }

    // Copies `rects` of `from` to the same places on `to`.
    void Present(HDC to, HDC from, const std::vector<PixelRect>& rects);

private:
    Mode mode_ = Mode::Rects;
    std::vector<char> regionData_;  // RGNDATA for the region mode, kept between passes
};

}  // namespace display
