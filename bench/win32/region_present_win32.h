// Another way to present a pass, kept for the measurements that compare it: the bounding
// box of the rectangles copied once through a clip region made of them.
#pragma once

#include <windows.h>

#include <vector>

#include "petals/pixels.h"

namespace bench {

class RegionPresenter {
public:
    void Present(HDC to, HDC from, const std::vector<petals::PixelRect>& rects);

private:
    std::vector<char> regionData_;  // RGNDATA, kept between passes
};

}  // namespace bench
