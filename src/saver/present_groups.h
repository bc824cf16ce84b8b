// The changed rectangles of a pass, put in groups for presenting. Wine sends a window's
// drawing to the X server as one box around everything drawn since it last sent, when the
// program next looks at its input: petals all over the screen become one copy of most of it.
// A group is presented and then sent on its own, so what is sent is the boxes around the
// groups; a group joins rectangles whose box costs less to send than sending them apart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "petals/pixels.h"

namespace saver {

// What sending one more box costs, in pixels (one more request to the X server and its
// round of the program's input, against the pixels it spares the X server's copy).
constexpr int64_t kGroupCost = 16384;

// What one more rectangle copied into the window costs, in pixels: a GDI call under Wine,
// against the pixels of the joined box that Wine's copy into the window's surface spares.
constexpr int64_t kRectCost = 1024;

class PresentGroups {
public:
    // Puts `rects` in groups: rects() holds each of them once, unchanged, group by group,
    // and every rectangle lies inside its group's box. Allocates only while the pass's
    // rectangles outgrow the last ones.
    void Group(const std::vector<petals::PixelRect>& rects, int64_t groupCost = kGroupCost);
    const std::vector<petals::PixelRect>& rects() const { return rects_; }
    // The groups' boxes; group g is rects()[g == 0 ? 0 : end(g - 1), end(g)).
    const std::vector<petals::PixelRect>& boxes() const { return boxes_; }
    std::size_t end(std::size_t group) const { return ends_[group]; }

private:
    std::vector<petals::PixelRect> rects_, boxes_;
    std::vector<std::size_t> ends_, groupOf_;
};

}  // namespace saver
