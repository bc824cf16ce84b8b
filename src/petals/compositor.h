// One pass of the saver's picture, in memory: the back buffer keeps the last pass, so a
// pass puts the snapshot back only where the last pass drew petals, draws this pass's
// petals, and names the rectangles that changed: the only ones the front end (the Win32
// window, the X11 hack) needs to present. The result on screen is the same as copying the
// whole snapshot and presenting the whole buffer each pass, at the cost of the petals
// rather than of the screen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "petals/petal_model.h"
#include "petals/pixels.h"

namespace petals {

// Joins rectangles where one larger rectangle costs less to present than two: a and b
// become their union when its area is at most area(a) + area(b) + rectCost, rectCost being
// what presenting one more rectangle costs, in pixels. 0 joins only overlapping petals
// (a petal's last and new place, mostly); a huge cost gives one bounding rectangle. The
// result covers every pixel the input covered. Allocates only while `rects` grows.
void MergeRects(std::vector<PixelRect>& rects, int64_t rectCost);

class Compositor {
public:
    Compositor();

    // The cost of one more presented rectangle, in pixels (see MergeRects).
    void SetRectCost(int64_t pixels) { rectCost_ = pixels; }
    int64_t rectCost() const { return rectCost_; }

    // The next pass restores and presents the whole buffer: the first pass, and after
    // anything that may have changed the back buffer.
    void InvalidateAll() { whole_ = true; }

    // Step 1: the snapshot back where the last pass drew (everywhere after InvalidateAll).
    void BeginPass(const PixelView& snapshot, const PixelView& back);
    // Step 2, once per drawing area (today the whole buffer, later one per monitor): the
    // sprites in order, each at (draw.x + originX, draw.y + originY), clipped to `clip`.
    void Draw(const PixelView& back, const SpriteFrames& frames, const SpriteDraw* draws, std::size_t count,
              const PixelRect& clip, int32_t originX = 0, int32_t originY = 0);
    // Step 3: what changed since the last pass, to present; valid until the next pass.
    const std::vector<PixelRect>& EndPass();

    // The three steps for one area covering the whole buffer.
    const std::vector<PixelRect>& Pass(const PixelView& snapshot, const PixelView& back, const SpriteFrames& frames,
                                       const std::vector<SpriteDraw>& draws);

    // Makes room for `sprites` drawn rectangles per pass, so that passes allocate nothing.
    void Reserve(std::size_t sprites);

private:
    std::vector<PixelRect> previous_, current_, present_;
    PixelRect bounds_;
    int64_t rectCost_;
    bool whole_ = true;
};

}  // namespace petals
