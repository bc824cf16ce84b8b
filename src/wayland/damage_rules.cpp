#include "wayland/damage_rules.h"

#include <algorithm>

#include "petals/compositor.h"

namespace wayland {
namespace {

// The first joining cost tried (pixels per rectangle saved), and its growth per step: few
// steps a pass, each joining far more than the last.
constexpr int64_t kFirstCost = 16384;
constexpr int64_t kCostGrowth = 4;

}  // namespace

std::size_t BandedCount::operator()(const std::vector<petals::PixelRect>& a, const std::vector<petals::PixelRect>& b) {
    edges_.clear();
    for (const auto* list : {&a, &b}) {
        for (const petals::PixelRect& r : *list) {
            if (r.Empty()) continue;
            edges_.push_back(r.top);
            edges_.push_back(r.bottom);
        }
    }
    std::sort(edges_.begin(), edges_.end());
    edges_.erase(std::unique(edges_.begin(), edges_.end()), edges_.end());
    std::size_t count = 0;
    above_.clear();
    for (std::size_t i = 0; i + 1 < edges_.size(); ++i) {
        spans_.clear();
        for (const auto* list : {&a, &b}) {
            for (const petals::PixelRect& r : *list) {
                if (!r.Empty() && r.top <= edges_[i] && r.bottom >= edges_[i + 1]) spans_.emplace_back(r.left, r.right);
            }
        }
        std::sort(spans_.begin(), spans_.end());
        runs_.clear();
        for (const Span& s : spans_) {
            if (!runs_.empty() && s.first <= runs_.back().second) runs_.back().second = std::max(runs_.back().second, s.second);
            else runs_.push_back(s);
        }
        if (runs_ != above_) count += runs_.size();
        above_.swap(runs_);
    }
    return count;
}

void BandedCount::Reserve(std::size_t rects) {
    edges_.reserve(2 * rects);
    spans_.reserve(rects);
    runs_.reserve(rects);
    above_.reserve(rects);
}

void DamageShaper::Reserve(std::size_t rects) {
    damage_.reserve(rects);
    last_.reserve(rects);
    count_.Reserve(2 * kCompositorMaxRects);  // it counts only lists this short
}

const std::vector<petals::PixelRect>& DamageShaper::Shape(const std::vector<petals::PixelRect>& changed) {
    damage_.assign(changed.begin(), changed.end());
    // Counting is worth it only once the lists are short: longer ones hardly ever fit.
    for (int64_t cost = kFirstCost; damage_.size() > 1; cost *= kCostGrowth) {
        if (damage_.size() + last_.size() <= 2 * kCompositorMaxRects && count_(damage_, last_) <= kCompositorMaxRects)
            break;
        petals::MergeRects(damage_, cost);
        if (cost > INT64_MAX / kCostGrowth) break;
    }
    last_.assign(damage_.begin(), damage_.end());
    return damage_;
}

}  // namespace wayland
