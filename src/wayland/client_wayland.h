// fluttera-wayland: the connection to the compositor, the globals it offers, every output
// and seat as they come and go, and the loop that waits on the compositor and on the
// signals that end it (or ask for the pass counts).
#pragma once

#include <string>
#include <vector>

namespace wayland {

// Returns the process's exit status.
int RunWayland(const std::vector<std::string>& args);

}  // namespace wayland
