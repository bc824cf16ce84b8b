// The command line of the Linux hack, in XScreenSaver's conventions: where to draw,
// how many petals, whether to show the pass rate, and the petal scale. Options take
// one or two leading dashes, as XScreenSaver's own hacks accept them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hack {

constexpr int32_t kHackMinCount = 0;
constexpr int32_t kHackMaxCount = 500;
constexpr int32_t kHackDefaultCount = 300;
constexpr double kHackMinScale = 0.5;
constexpr double kHackMaxScale = 4.0;

enum class HackTarget {
    Default,   // XSCREENSAVER_WINDOW if set, else a window of its own
    Root,      // the root window (XScreenSaver's virtual root where it gives one)
    WindowId,  // the window named on the command line
};

struct HackOptions {
    HackTarget target = HackTarget::Default;
    unsigned long windowId = 0;
    int32_t count = kHackDefaultCount;
    bool fps = false;
    bool help = false;
    std::optional<double> scale;  // empty: from the display's dpi
    // What was wrong with the command line, one line each. A fatal one (an unknown
    // option, a window id that is no number) leaves `ok` false; a count out of range
    // or malformed falls back to the nearest bound or the default and only warns.
    std::vector<std::string> messages;
    bool ok = true;
};

HackOptions ParseHackOptions(const std::vector<std::string>& args);

// True when `arg` is the option `name` written with one or two leading dashes ("-count",
// "--count"), as the hack reads its options; the Wayland program reads its own this way.
bool IsOption(const std::string& arg, const char* name);

// A window id as XScreenSaver and xwininfo write it: decimal or 0x-prefixed hex.
// Empty for anything else, zero, or a value above 32 bits (X ids are 29 bits).
std::optional<unsigned long> ParseWindowId(const std::string& text);

std::string HackUsage(const char* program);

}  // namespace hack
