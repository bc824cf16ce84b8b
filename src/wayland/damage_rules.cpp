#include "wayland/damage_rules.h"

#include <algorithm>

namespace wayland {
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

void DamageShaper::JoinNeighbours() {
    std::size_t best = 0;
    int64_t bestAdded = INT64_MAX;
    for (std::size_t i = 0; i + 1 < damage_.size(); ++i) {
        const int64_t added = petals::Union(damage_[i], damage_[i + 1]).Area() - damage_[i].Area() - damage_[i + 1].Area();
        if (added < bestAdded) {
            bestAdded = added;
            best = i;
        }
    }
    damage_[best] = petals::Union(damage_[best], damage_[best + 1]);
    damage_.erase(damage_.begin() + static_cast<std::ptrdiff_t>(best) + 1);
}

const std::vector<petals::PixelRect>& DamageShaper::Shape(const std::vector<petals::PixelRect>& changed) {
    damage_.clear();
    for (const petals::PixelRect& r : changed) {
        if (!r.Empty()) damage_.push_back(r);
    }
    // Strips: each the bounding box of the rectangles in rows of its own. No two lie side by
    // side, so each is one rectangle of the compositor's region, and strips of petals across
    // the output cover less than the same count of rectangles joined by nearness would.
    std::sort(damage_.begin(), damage_.end(),
              [](const petals::PixelRect& a, const petals::PixelRect& b) { return a.top < b.top; });
    std::size_t strips = 0;
    for (const petals::PixelRect& r : damage_) {
        if (strips > 0 && r.top < damage_[strips - 1].bottom) damage_[strips - 1] = petals::Union(damage_[strips - 1], r);
        else damage_[strips++] = r;
    }
    damage_.resize(strips);
    // Then neighbours joined, the pair that adds the least area first, until they fit with
    // the last frame's. Counting costs more than joining: while the lists are long, one join
    // a rectangle too many; then a third as many joins as the count is over, since one join
    // can take up to three rectangles off it (its own and the last frame's it splits).
    while (damage_.size() > 1) {
        std::size_t joins = 0;
        if (damage_.size() + last_.size() > 2 * kCompositorMaxRects) {
            joins = damage_.size() + last_.size() - 2 * kCompositorMaxRects;
        } else {
            const std::size_t n = count_(damage_, last_);
            if (n <= kCompositorMaxRects) break;
            joins = (n - kCompositorMaxRects + 2) / 3;
        }
        for (; joins > 0 && damage_.size() > 1; --joins) JoinNeighbours();
    }
    last_.assign(damage_.begin(), damage_.end());
    return damage_;
}

}  // namespace wayland
