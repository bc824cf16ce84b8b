// What the saver asks the system about its screens: the virtual screen its window covers,
// and the monitors with their DPI (the awareness it declares first is fw::win's).
#pragma once

#include <vector>

#include "petals/screens.h"

namespace saver {

// The rectangle that holds every monitor (it may start at negative coordinates).
petals::PixelRect VirtualScreen();

// Every monitor with its DPI; the system DPI where a monitor's own is unknown. Never
// empty: without a list, the virtual screen counts as one monitor.
std::vector<petals::Monitor> ListMonitors();

}  // namespace saver
