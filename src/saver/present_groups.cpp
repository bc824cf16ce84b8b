#include "saver/present_groups.h"

#include "petals/compositor.h"

namespace saver {

namespace {
bool Inside(const petals::PixelRect& r, const petals::PixelRect& box) {
    return r.left >= box.left && r.top >= box.top && r.right <= box.right && r.bottom <= box.bottom;
}
}  // namespace

void PresentGroups::Group(const std::vector<petals::PixelRect>& rects, int64_t groupCost) {
    // Joining only ever replaces two boxes with their union, so each rectangle lies inside
    // one of the joined boxes.
    boxes_ = rects;
    petals::MergeRects(boxes_, groupCost);
    groupOf_.resize(rects.size());
    ends_.assign(boxes_.size(), 0);
    // An empty rectangle shows nothing, and joining drops it.
    constexpr std::size_t kNone = ~std::size_t{0};
    for (std::size_t i = 0; i < rects.size(); ++i) {
        std::size_t g = 0;
        while (g < boxes_.size() && !Inside(rects[i], boxes_[g])) ++g;
        groupOf_[i] = rects[i].Empty() || g == boxes_.size() ? kNone : g;
        if (groupOf_[i] != kNone) ++ends_[g];
    }
    // Counts become ends; then each rectangle goes to its group's next free place.
    std::size_t at = 0;
    for (std::size_t& e : ends_) at = e += at;
    rects_.resize(at);
    for (std::size_t i = rects.size(); i-- > 0;)
        if (groupOf_[i] != kNone) rects_[--ends_[groupOf_[i]]] = rects[i];
    for (std::size_t g = 0; g < ends_.size(); ++g) ends_[g] = g + 1 < ends_.size() ? ends_[g + 1] : at;
}

}  // namespace saver
