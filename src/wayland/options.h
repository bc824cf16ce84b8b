// The command line of fluttera-wayland: the hack's options where they mean something on
// Wayland (how many petals, help), read by the hack's own parser, and --version. The X
// window options, the pass-rate display and the petal scale do not apply here: each
// output's scale comes from the compositor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wayland {

struct WaylandOptions {
    int32_t count = 0;
    bool help = false;
    bool version = false;
    // One line each: a count out of range only warns; anything else wrong leaves ok false.
    std::vector<std::string> messages;
    bool ok = true;
};

WaylandOptions ParseWaylandOptions(const std::vector<std::string>& args);

std::string WaylandUsage(const char* program);

}  // namespace wayland
