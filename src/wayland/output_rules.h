// The decisions of the Wayland front end that need no compositor: the size and scale of
// each output's surface and the density its petals are laid at, which input ends the
// saver, and when a frame callback runs a pass. The *_wayland.cpp files gather the facts
// from the compositor and follow these answers.
#pragma once

#include <cstdint>


namespace wayland {

// What one output's surface is drawn with.
struct SurfaceLayout {
    int32_t bufferWidth = 0, bufferHeight = 0;  // pixels; 0 when there is nothing to draw
    int32_t bufferScale = 1;                    // wl_surface.set_buffer_scale
    bool viewport = false;                      // the buffer shown at the logical size by wp_viewport
    uint32_t dpi = 96;                          // the density the engine lays the petals at

    bool Empty() const { return bufferWidth <= 0 || bufferHeight <= 0; }
};

// The largest buffer side drawn: beyond it a surface is refused as out of memory, not drawn.
constexpr int32_t kMaxBufferSide = 16384;

// The layout of a surface of logicalWidth x logicalHeight (what layer-shell configured) on
// an output of integer scale `outputScale` (wl_output.scale; below 1 counts as 1).
// `preferred120`, the fractional scale in 120ths the compositor prefers for the surface
// (0: none), is used only with a viewporter, which shows a buffer of any size at the
// logical size: the buffer is the logical size times that scale, rounded half away from
// zero. Otherwise the buffer is the logical size times the integer scale. The petals are
// laid at 96 dpi times the scale the buffer is drawn at, as the X11 hack lays them on a
// monitor of that density.
SurfaceLayout LayoutSurface(int32_t logicalWidth, int32_t logicalHeight, int32_t outputScale, uint32_t preferred120,
                            bool haveViewporter);

// What the seats report.
enum class InputEvent {
    KeyPressed,
    KeyReleased,
    KeyboardEnter,            // focus arrives, with no key down or keys held since the start
    KeysHeldOnNewKeyboard,    // focus arrives from a keyboard that came while the saver ran, a key down
    ButtonPressed,
    ButtonReleased,
    PointerEnter,
    PointerMotion,
    Scroll,
    Touch,
};

// True for what ends the saver: a key pressed or a click (a button pressed, a touch);
// never moving the pointer, scrolling, or a key already held when it started. A keyboard
// that comes while it runs (the seat had none) may have its first key down before the
// saver's keyboard exists to hear it: that key was pressed while the saver ran.
bool EndsSaver(InputEvent event);

// When an output's frame callbacks run a pass: each callback of a 60 Hz output (the
// petals' speeds are per pass at 60 passes a second), but no more than 60 passes a second
// on a faster one, whose extra callbacks only ask for the next. The time between callbacks
// earns credit, a pass spends one period's worth: a callback up to a quarter period early
// still passes, and one that came late leaves its lateness as credit for the next, so
// neither the jitter nor the hiccups of a busy 60 Hz output cost a pass. Credit is capped
// at two passes: after a rest (an output turned off or hidden gives no callbacks) the
// first callback runs a pass at once, and at most one pass more than the pace follows,
// never a burst to catch up.
class FramePace {
public:
    explicit FramePace(int64_t ticksPerSecond);

    // A frame callback at `now`: true when it runs a pass.
    bool OnFrame(int64_t now);

private:
    int64_t ticksPerSecond_;
    int64_t credit_;  // ticks times passes a second: one pass costs ticksPerSecond_
    int64_t last_ = 0;
    bool started_ = false;
};

}  // namespace wayland
