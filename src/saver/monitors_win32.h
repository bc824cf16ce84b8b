// What the saver asks the system about its screens: the DPI awareness it declares, the
// virtual screen its window covers, and the monitors with their DPI.
#pragma once

#include <vector>

#include "petals/screens.h"

namespace saver {

// Saver mode only, before any window: the process works in the screens' real pixels,
// per monitor where the system knows that, else at the system DPI.
void DeclareDpiAware();

// The rectangle that holds every monitor (it may start at negative coordinates).
petals::PixelRect VirtualScreen();

// Every monitor with its DPI; the system DPI where a monitor's own is unknown. Never
// empty: without a list, the virtual screen counts as one monitor.
std::vector<petals::Monitor> ListMonitors();

}  // namespace saver
