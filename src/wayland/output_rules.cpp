#include "wayland/output_rules.h"

#include <algorithm>

namespace wayland {
namespace {

// size * scale / 120, rounded half away from zero (sizes are never negative here).
int64_t ScaleBy120(int64_t size, uint32_t scale120) { return (size * scale120 + 60) / 120; }

}  // namespace

SurfaceLayout LayoutSurface(int32_t logicalWidth, int32_t logicalHeight, int32_t outputScale, uint32_t preferred120,
                            bool haveViewporter) {
    SurfaceLayout layout;
    // Past these the buffer would be over the largest side anyway (and the products
    // could overflow).
    if (logicalWidth <= 0 || logicalHeight <= 0 || logicalWidth > kMaxBufferSide || logicalHeight > kMaxBufferSide ||
        outputScale > kMaxBufferSide || preferred120 > 120u * kMaxBufferSide)
        return SurfaceLayout{};
    int64_t w, h;
    if (preferred120 > 0 && haveViewporter) {
        w = ScaleBy120(logicalWidth, preferred120);
        h = ScaleBy120(logicalHeight, preferred120);
        layout.viewport = true;
        layout.dpi = static_cast<uint32_t>((int64_t{96} * preferred120 + 60) / 120);
    } else {
        const int32_t scale = std::max(outputScale, 1);
        w = int64_t{logicalWidth} * scale;
        h = int64_t{logicalHeight} * scale;
        layout.bufferScale = scale;
        layout.dpi = static_cast<uint32_t>(96 * scale);
    }
    if (w > kMaxBufferSide || h > kMaxBufferSide || w <= 0 || h <= 0) return SurfaceLayout{};
    layout.bufferWidth = static_cast<int32_t>(w);
    layout.bufferHeight = static_cast<int32_t>(h);
    return layout;
}

bool EndsSaver(InputEvent event) {
    switch (event) {
    case InputEvent::KeyPressed:
    case InputEvent::KeysHeldOnNewKeyboard:
    case InputEvent::ButtonPressed:
    case InputEvent::Touch:
        return true;
    case InputEvent::KeyReleased:
    case InputEvent::KeyboardEnter:
    case InputEvent::ButtonReleased:
    case InputEvent::PointerEnter:
    case InputEvent::PointerMotion:
    case InputEvent::Scroll:
        return false;
    }
    return false;
}

namespace {

constexpr int64_t kPassesPerSecond = 60;

}  // namespace

FramePace::FramePace(int64_t ticksPerSecond)
    : ticksPerSecond_(std::max<int64_t>(ticksPerSecond, 1)), credit_(ticksPerSecond_) {}

bool FramePace::OnFrame(int64_t now) {
    // A period (ticksPerSecond / 60) earns 60 times its ticks: one pass.
    const int64_t pass = ticksPerSecond_;
    if (started_) {
        // A clock that went back earns nothing; a long rest no more than the cap.
        const int64_t elapsed = std::clamp<int64_t>(now - last_, 0, ticksPerSecond_);
        credit_ = std::min(credit_ + elapsed * kPassesPerSecond, 2 * pass);
    }
    started_ = true;
    last_ = std::max(last_, now);
    if (credit_ < pass - pass / 4) return false;
    credit_ -= pass;
    return true;
}

}  // namespace wayland
