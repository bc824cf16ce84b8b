#pragma once

#include "framework/ports.h"
#include "startup/hooks.h"

namespace display {

// Loads the full-screen saver window and runs it; ends the process when the saver ends.
[[noreturn]] void RunSaverWindow(fw::SystemHooksPort& sys, startup::HookState& hooks);

}  // namespace display
