#include "wayland/options.h"

#include "hack/options.h"

namespace wayland {

WaylandOptions ParseWaylandOptions(const std::vector<std::string>& args) {
    WaylandOptions o;
    std::vector<std::string> shared;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (hack::IsOption(a, "version")) {
            o.version = true;
        } else if (hack::IsOption(a, "root") || hack::IsOption(a, "window-id") || hack::IsOption(a, "fps") ||
                   hack::IsOption(a, "scale")) {
            o.messages.push_back("\"" + a + "\" is an option of the X11 hack (fluttera), not of this program");
            o.ok = false;
            // Its value goes with it, not on to be read as an option of its own.
            if ((hack::IsOption(a, "window-id") || hack::IsOption(a, "scale")) && i + 1 < args.size()) ++i;
        } else {
            shared.push_back(a);
        }
    }
    const hack::HackOptions h = hack::ParseHackOptions(shared);
    o.count = h.count;
    o.messages.insert(o.messages.end(), h.messages.begin(), h.messages.end());
    o.ok = o.ok && h.ok;
    // A fault on the line ends with status 1, whatever else was asked.
    o.help = h.help && o.ok;
    o.version = o.version && o.ok;
    return o;
}

std::string WaylandUsage(const char* program) {
    return std::string("usage: ") + program +
           " [--count N] [-h | --help] [--version]\n"
           "  Cherry-blossom petals falling over the desktop on every output of a Wayland compositor\n"
           "  with layer-shell (sway, Hyprland, river, labwc, Wayfire, KDE) until a key or a click.\n"
           "  Where the compositor offers screencopy (zwlr_screencopy_manager_v1: sway and the other\n"
           "  wlroots compositors), the petals fall over a still picture of each output taken at the\n"
           "  start; where it does not (KDE), over the live desktop, through a transparent surface.\n"
           "  --count N   N + 1 petals on each output, N from 0 to 500 (default 300)\n"
           "  --version   print the version and end\n"
           "  -h, --help  print this summary and end\n"
           "  From swayidle:  swayidle -w timeout 300 '" + program + "'\n"
           "  Signal USR1 prints each output's name and passes so far on standard output.\n";
}

}  // namespace wayland
