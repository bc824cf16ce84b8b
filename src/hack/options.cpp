#include "hack/options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace hack {
namespace {

// "--name" and "-name" are the same option; anything else is not this option.
bool Is(const std::string& arg, const char* name) {
    if (arg.size() > 2 && arg[0] == '-' && arg[1] == '-') return arg.compare(2, std::string::npos, name) == 0;
    if (arg.size() > 1 && arg[0] == '-') return arg.compare(1, std::string::npos, name) == 0;
    return false;
}

// A whole-text decimal integer, with an optional sign; empty for anything else. One too
// large to hold stops growing far beyond any option's range, keeping its sign.
std::optional<long long> WholeInteger(const std::string& text) {
    constexpr long long kFar = 100000000000000000LL;
    const size_t from = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    if (from == text.size()) return std::nullopt;
    long long n = 0;
    for (size_t j = from; j < text.size(); ++j) {
        if (text[j] < '0' || text[j] > '9') return std::nullopt;
        if (n < kFar) n = n * 10 + (text[j] - '0');
    }
    return text[0] == '-' ? -n : n;
}

void ReadCount(const std::string& text, HackOptions& o) {
    const std::optional<long long> n = WholeInteger(text);
    if (!n) {
        o.messages.push_back("--count: \"" + text + "\" is not a whole number; using " +
                             std::to_string(kHackDefaultCount));
        o.count = kHackDefaultCount;
    } else if (*n < kHackMinCount || *n > kHackMaxCount) {
        o.count = static_cast<int32_t>(*n < kHackMinCount ? kHackMinCount : kHackMaxCount);
        o.messages.push_back("--count: " + text + " is outside " + std::to_string(kHackMinCount) + ".." +
                             std::to_string(kHackMaxCount) + "; using " + std::to_string(o.count));
    } else {
        o.count = static_cast<int32_t>(*n);
    }
}

void ReadScale(const std::string& text, HackOptions& o) {
    errno = 0;
    char* end = nullptr;
    const double s = std::strtod(text.c_str(), &end);
    if (text.empty() || errno != 0 || *end != '\0' || !std::isfinite(s) || s < kHackMinScale || s > kHackMaxScale) {
        o.messages.push_back("--scale: \"" + text + "\" is not a number from 0.5 to 4; using the display's");
        return;
    }
    o.scale = s;
}

}  // namespace

bool IsOption(const std::string& arg, const char* name) { return Is(arg, name); }

std::optional<unsigned long> ParseWindowId(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const size_t from = hex ? 2 : 0;
    if (text.size() <= from || text.size() - from > (hex ? 8u : 10u)) return std::nullopt;
    unsigned long long v = 0;
    for (size_t i = from; i < text.size(); ++i) {
        const char c = text[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return std::nullopt;
        v = v * (hex ? 16 : 10) + static_cast<unsigned>(d);
    }
    if (v == 0 || v > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<unsigned long>(v);
}

HackOptions ParseHackOptions(const std::vector<std::string>& args) {
    HackOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (Is(a, "root")) {
            // A window id wins over --root in whatever order they come, as XScreenSaver's
            // settings preview passes both.
            if (o.target != HackTarget::WindowId) o.target = HackTarget::Root;
        } else if (Is(a, "window-id")) {
            if (!hasValue) { o.messages.push_back("--window-id needs a window id"); o.ok = false; break; }
            const std::optional<unsigned long> id = ParseWindowId(args[++i]);
            if (!id) { o.messages.push_back("--window-id: \"" + args[i] + "\" is not a window id"); o.ok = false; }
            else { o.target = HackTarget::WindowId; o.windowId = *id; }
        } else if (Is(a, "count")) {
            if (!hasValue) { o.messages.push_back("--count needs a number"); o.ok = false; break; }
            ReadCount(args[++i], o);
        } else if (Is(a, "scale")) {
            if (!hasValue) { o.messages.push_back("--scale needs a number"); o.ok = false; break; }
            ReadScale(args[++i], o);
        } else if (Is(a, "fps")) {
            o.fps = true;
        } else if (Is(a, "help") || a == "-h") {
            o.help = true;
        } else {
            o.messages.push_back("unknown option \"" + a + "\"");
            o.ok = false;
        }
    }
    o.help = o.help && o.ok;  // a fault on the line ends with status 1, -h or not
    return o;
}

std::string HackUsage(const char* program) {
    return std::string("usage: ") + program +
           " [--root | --window-id ID] [--count N] [--fps] [--scale S] [-h | --help]\n"
           "  Cherry-blossom petals falling over a picture of the desktop; a hack for XScreenSaver.\n"
           "  --root          draw on the root window (XScreenSaver's window when it runs the hack)\n"
           "  --window-id ID  draw into the window ID (decimal or 0x hex)\n"
           "                  with neither: the window in $XSCREENSAVER_WINDOW, else a window of its own\n"
           "  --count N       N + 1 petals, N from 0 to 500 (default 300)\n"
           "  --fps           show the pass rate\n"
           "  --scale S       petal scale, 0.5 to 4 (default: the Xft.dpi resource / 96)\n"
           "  -h, --help      print this summary and end\n"
           "  To put it into your XScreenSaver list: fluttera-xscreensaver add\n";
}

}  // namespace hack
