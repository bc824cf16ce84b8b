// The full-screen saver window (`Vellora_S`): the desktop snapshot under the petals, the
// two music timers, and the keys and clicks that end it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "framework/ports.h"
#include "petals/compositor.h"
#include "startup/system_effects.h"
#include "startup/settings.h"

namespace saver {

// What a measuring build watches of the saver's passes. The program itself runs with none;
// the benchmark build brings its own, so nothing of the measuring ships in the program.
class PassWatcher {
public:
    virtual ~PassWatcher() = default;
    // A named point of the start.
    virtual void Mark(const char* point) = 0;
    // Before the first pass; false runs the passes back to back instead of at the pace.
    virtual bool Starting(petals::Compositor& compositor) = 0;
    // Presents a pass's rectangles its own way; false leaves it to the saver.
    virtual bool Present(HDC to, HDC from, const std::vector<petals::PixelRect>& rects) = 0;
    // After each pass, with what it presented; may ask the next pass to present all.
    virtual void Passed(petals::Compositor& compositor, const std::vector<petals::PixelRect>& rects) = 0;
    // The saver ends, with this many petal rows.
    virtual void Ending(std::size_t rows) = 0;
};

// Loads the full-screen saver window with these settings and runs it; ends the process
// when the saver ends.
[[noreturn]] void RunSaverWindow(fw::SystemHooksPort& sys, startup::HookState& hooks,
                                 const startup::SaverSettings& settings, PassWatcher* watcher = nullptr);

}  // namespace saver
