#include "startup/system_effects.h"

#include "framework/conversions.h"

namespace startup {

namespace {
fw::Rect Origin(const HookState& s) { return {s.EffectOriginX, s.EffectOriginY, s.EffectOriginX, s.EffectOriginY}; }
}  // namespace

void RecordEffectOrigin(fw::SystemHooksPort& sys, HookState& state) {
    auto pos = sys.GetCursorPos();
    state.EffectOriginX = 0;
    state.EffectOriginY = 0;
    if (!pos) return;
    // Positions beyond 16 bits cannot be held; they count as the corner.
    state.EffectOriginX = fw::ToInt16(pos->x).value_or(0);
    state.EffectOriginY = fw::ToInt16(pos->y).value_or(0);
}

void AnimateOpen(fw::SystemHooksPort& sys, const HookState& state, fw::WindowId window) {
    fw::Rect from = Origin(state);
    fw::Rect to = sys.GetWindowRect(window).value_or(fw::Rect{});
    sys.DrawAnimatedRects(window, kAnimateCaption, from, to);
}

void AnimateClose(fw::SystemHooksPort& sys, const HookState& state, fw::WindowId window) {
    fw::Rect from = sys.GetWindowRect(window).value_or(fw::Rect{});
    sys.DrawAnimatedRects(window, kAnimateCaption, from, Origin(state));
}

void AllowSystemKeys(fw::SystemHooksPort& sys, bool allow) {
    const int32_t asFlag = allow ? -1 : 0;  // a true flag holds all bits set
    sys.SetSystemParameter(kSpiSetScreenSaverRunning, static_cast<uint32_t>(~asFlag), 0);
}

void HideCursor(fw::SystemHooksPort& sys, HookState& state) { state.SavedCursorCount = sys.ShowCursor(0); }

void RestoreCursor(fw::SystemHooksPort& sys, HookState& state) {
    state.SavedCursorCount = sys.ShowCursor(state.SavedCursorCount);
}

}  // namespace startup
