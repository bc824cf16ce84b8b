// Entry point of fluttera-wayland, the saver for Wayland compositors with layer-shell.
#include <string>
#include <vector>

#include "wayland/client_wayland.h"

int main(int argc, char** argv) {
    return wayland::RunWayland(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
}
