// Zoom effects of the settings dialog, the screen-saver-running flag and the cursor
// bookkeeping of the running saver.
#pragma once

#include "framework/ports.h"

#include <cstdint>

namespace startup {

// What the program keeps of the system's state between the calls below: the point the
// dialog opened from, and the cursor count last returned. The program holds one.
struct HookState {
    int16_t EffectOriginX = 0;
    int16_t EffectOriginY = 0;
    int32_t SavedCursorCount = 0;
};

constexpr int32_t kAnimateCaption = 3;             // IDANI_CAPTION
constexpr uint32_t kSpiSetScreenSaverRunning = 97;  // SPI_SETSCREENSAVERRUNNING
constexpr uint32_t kSpiSetScreenSaveActive = 17;    // SPI_SETSCREENSAVEACTIVE

// Records the mouse position as the effect origin (0, 0 when it cannot be read).
void RecordEffectOrigin(fw::SystemHooksPort& sys, HookState& state);
void AnimateOpen(fw::SystemHooksPort& sys, const HookState& state, fw::WindowId window);
void AnimateClose(fw::SystemHooksPort& sys, const HookState& state, fw::WindowId window);
// allow = false tells the system a screen saver runs (value -1), true that none does (0).
void AllowSystemKeys(fw::SystemHooksPort& sys, bool allow);
void HideCursor(fw::SystemHooksPort& sys, HookState& state);
// Passes the saved count itself as the show flag, as the saver always has.
void RestoreCursor(fw::SystemHooksPort& sys, HookState& state);

}  // namespace startup
