#pragma once

#include "framework/ports.h"
#include "startup/hooks.h"
#include "startup/settings.h"

namespace display {

// Loads the full-screen saver window with these settings and runs it; ends the process
// when the saver ends.
[[noreturn]] void RunSaverWindow(fw::SystemHooksPort& sys, startup::HookState& hooks,
                                 const startup::SaverSettings& settings);

}  // namespace display
