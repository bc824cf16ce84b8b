#pragma once

#include "framework/conversions.h"
#include "framework/file_port.h"
#include "framework/ports.h"
#include "startup/system_effects.h"
#include "startup/settings.h"

#include <string>

namespace dialog {

// Shows the settings dialog modally over these settings; returns when it has closed, or
// at once with false and the system's error number when its window could not be made.
// Numbers typed by the user are read with the user's separators.
bool ShowSettingsDialog(fw::SystemHooksPort& sys, startup::HookState& hooks, startup::SaverSettings& settings,
                        fw::FilePort& files, const std::string& programFolder, const fw::NumberFormat& numbers,
                        uint32_t& error);

}  // namespace dialog
