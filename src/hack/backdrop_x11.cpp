#include "hack/backdrop_x11.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "hack/backdrop_rules.h"

#ifndef FLUTTERA_XSS_LIBEXEC
#define FLUTTERA_XSS_LIBEXEC "/usr/libexec/xscreensaver"
#endif

namespace hack {
namespace {

constexpr int kHelperSeconds = 10;  // a file picker over a slow disk may take a while

// Copies an XImage's pixels into `out` at (dx, dy); 32-bit images of the host's byte
// order row by row, anything else pixel by pixel.
void CopyImage(XImage* img, Backdrop& out, int dx, int dy) {
    const bool direct = img->bits_per_pixel == 32 &&
                        img->byte_order == (__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? LSBFirst : MSBFirst);
    for (int y = 0; y < img->height; ++y) {
        uint32_t* row = &out.pixels[static_cast<size_t>(dy + y) * out.width + dx];
        if (direct) {
            const uint32_t* src = reinterpret_cast<const uint32_t*>(img->data + static_cast<size_t>(y) * img->bytes_per_line);
            for (int x = 0; x < img->width; ++x) row[x] = src[x] & 0xFFFFFFu;
        } else {
            for (int x = 0; x < img->width; ++x) row[x] = static_cast<uint32_t>(XGetPixel(img, x, y)) & 0xFFFFFFu;
        }
    }
}

bool Executable(const std::string& path) { return !path.empty() && access(path.c_str(), X_OK) == 0; }

// True when a termination was asked for on cancelFd (-1: never), waiting up to `ms` for it.
bool Cancelled(int cancelFd, int ms = 0) {
    pollfd p{cancelFd, POLLIN, 0};
    return cancelFd >= 0 && poll(&p, 1, ms) > 0;
}

// Where the target's top-left corner lies on the root.
void OriginOnRoot(Target& t, int& x, int& y) {
    Window child = 0;
    XTranslateCoordinates(t.dpy, t.window, DefaultRootWindow(t.dpy), 0, 0, &x, &y, &child);
}

double Now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Runs the helper on (window, pixmap); true when it ended on its own with status 0.
bool RunHelper(const std::string& helper, Target& t, Pixmap pixmap, int cancelFd) {
    char window[24], pix[24];
    std::snprintf(window, sizeof window, "0x%lx", t.window);
    std::snprintf(pix, sizeof pix, "0x%lx", pixmap);
    const std::string display = DisplayString(t.dpy);
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        const int devnull = open("/dev/null", O_WRONLY);
        if (devnull >= 0) dup2(devnull, STDOUT_FILENO);  // it names the picture it chose there
        execl(helper.c_str(), helper.c_str(), "--display", display.c_str(), window, pix, static_cast<char*>(nullptr));
        _exit(127);
    }
    const double deadline = Now() + kHelperSeconds;
    int status = 0;
    for (;;) {
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (r < 0) return false;
        if (Cancelled(cancelFd, 20) || Now() > deadline) {
            kill(pid, SIGTERM);
            waitpid(pid, &status, 0);
            return false;
        }
    }
}

}  // namespace

std::string FindGetImage() {
    const char* name = "xscreensaver-getimage";
    if (const char* path = std::getenv("PATH")) {
        std::string dirs = path;
        size_t from = 0;
        while (from <= dirs.size()) {
            const size_t to = std::min(dirs.find(':', from), dirs.size());
            std::string candidate = dirs.substr(from, to - from) + "/" + name;
            if (to > from && Executable(candidate)) return candidate;
            from = to + 1;
        }
    }
    // Debian keeps XScreenSaver's helpers out of PATH, beside its hacks.
    for (const char* dir : {FLUTTERA_XSS_LIBEXEC, "/usr/libexec/xscreensaver", "/usr/lib/xscreensaver"}) {
        std::string candidate = std::string(dir) + "/" + name;
        if (Executable(candidate)) return candidate;
    }
    return {};
}

bool TakeRootStill(Target& t, Backdrop& out) {
    out.width = t.width;
    out.height = t.height;
    out.pixels.assign(static_cast<size_t>(t.width) * t.height, 0);
    out.source = "root window";
    const Window root = DefaultRootWindow(t.dpy);
    int x = 0, y = 0;
    OriginOnRoot(t, x, y);
    const int sw = DisplayWidth(t.dpy, DefaultScreen(t.dpy)), sh = DisplayHeight(t.dpy, DefaultScreen(t.dpy));
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + t.width, sw), y1 = std::min(y + t.height, sh);
    if (x1 <= x0 || y1 <= y0) return true;  // nothing of it on the screen: black
    XErrorTrap::Arm();
    XImage* img = XGetImage(t.dpy, root, x0, y0, static_cast<unsigned>(x1 - x0), static_cast<unsigned>(y1 - y0),
                            AllPlanes, ZPixmap);
    if (!img) return false;
    CopyImage(img, out, x0 - x, y0 - y);
    XDestroyImage(img);
    return true;
}

namespace {

// The helper's picture of the window's size; false when it is absent, fails or is cancelled.
bool TakeFromHelper(Target& t, int cancelFd, Backdrop& out) {
    const std::string helper = FindGetImage();
    if (helper.empty()) return false;
    const Pixmap pixmap = XCreatePixmap(t.dpy, t.window, static_cast<unsigned>(t.width),
                                        static_cast<unsigned>(t.height), static_cast<unsigned>(t.depth));
    XSync(t.dpy, False);
    bool got = false;
    if (RunHelper(helper, t, pixmap, cancelFd)) {
        XErrorTrap::Arm();
        XImage* img = XGetImage(t.dpy, pixmap, 0, 0, static_cast<unsigned>(t.width),
                                static_cast<unsigned>(t.height), AllPlanes, ZPixmap);
        if (img) {
            out.width = t.width;
            out.height = t.height;
            out.pixels.assign(static_cast<size_t>(t.width) * t.height, 0);
            out.source = helper;
            CopyImage(img, out, 0, 0);
            XDestroyImage(img);
            got = true;
        }
    }
    XFreePixmap(t.dpy, pixmap);
    if (!got && !Cancelled(cancelFd))
        std::fprintf(stderr, "fluttera: %s gave no picture; using a still of the screen\n", helper.c_str());
    return got;
}

}  // namespace

std::vector<WindowFacts> WindowChain(Display* dpy, Window window) {
    std::vector<WindowFacts> chain;
    const Window root = DefaultRootWindow(dpy);
    XErrorTrap::Arm();
    for (int depth = 0; window && window != root && depth < 64; ++depth) {
        WindowFacts facts;
        int count = 0;
        if (Atom* atoms = XListProperties(dpy, window, &count)) {
            std::vector<char*> names(static_cast<size_t>(count), nullptr);
            if (count > 0 && XGetAtomNames(dpy, atoms, count, names.data()))
                for (char* name : names) {
                    facts.properties.emplace_back(name ? name : "");
                    if (name) XFree(name);
                }
            XFree(atoms);
        }
        XClassHint hint{};
        if (XGetClassHint(dpy, window, &hint)) {
            if (hint.res_class) facts.wmClass = hint.res_class;
            XFree(hint.res_name);
            XFree(hint.res_class);
        }
        Window parent = 0, rootOut = 0, *children = nullptr;
        unsigned n = 0;
        if (!XQueryTree(dpy, window, &rootOut, &parent, &children, &n) || XErrorTrap::Error()) break;
        if (children) XFree(children);
        chain.push_back(std::move(facts));
        window = parent;
    }
    return chain;
}

bool TakeRootPicture(Target& t, Backdrop& out, std::string& why) {
    Display* dpy = t.dpy;
    const Window root = DefaultRootWindow(dpy);
    why = "the root names no background picture (_XROOTPMAP_ID)";
    const Atom property = XInternAtom(dpy, "_XROOTPMAP_ID", True);
    if (property == None) return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XErrorTrap::Arm();
    if (XGetWindowProperty(dpy, root, property, 0, 1, False, XA_PIXMAP, &type, &format, &count, &after, &data) !=
            Success || !data)
        return false;
    const Pixmap pixmap = type == XA_PIXMAP && format == 32 && count == 1 ? *reinterpret_cast<unsigned long*>(data) : None;
    XFree(data);
    if (pixmap == None) return false;
    // The pixmap outlives its setter only as long as the setter asked; a stale id is an error.
    why = "the root's background picture (_XROOTPMAP_ID) is gone";
    Window pixmapRoot = 0;
    int px = 0, py = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    XErrorTrap::Arm();
    if (!XGetGeometry(dpy, pixmap, &pixmapRoot, &px, &py, &width, &height, &border, &depth) || XErrorTrap::Error() ||
        pixmapRoot != root || width == 0 || height == 0)
        return false;
    // Its pixels are in the root's visual: only the kind the hack draws in is read.
    const int screen = DefaultScreen(dpy);
    const Visual* v = DefaultVisual(dpy, screen);
    if (static_cast<int>(depth) != DefaultDepth(dpy, screen) || v->c_class != TrueColor || v->red_mask != 0xFF0000 ||
        v->green_mask != 0x00FF00 || v->blue_mask != 0x0000FF) {
        why = "the root's background picture (_XROOTPMAP_ID) is not in 24-bit true colour";
        return false;
    }

    int x = 0, y = 0;
    OriginOnRoot(t, x, y);
    const Span xs = TileSpan(x, t.width, static_cast<int>(width)), ys = TileSpan(y, t.height, static_cast<int>(height));
    XErrorTrap::Arm();
    XImage* img = XGetImage(dpy, pixmap, xs.from, ys.from, static_cast<unsigned>(xs.length),
                            static_cast<unsigned>(ys.length), AllPlanes, ZPixmap);
    if (!img) return false;
    Backdrop part;
    part.width = xs.length;
    part.height = ys.length;
    part.pixels.assign(static_cast<size_t>(xs.length) * ys.length, 0);
    CopyImage(img, part, 0, 0);
    XDestroyImage(img);
    out.width = t.width;
    out.height = t.height;
    out.source = "the desktop's background picture";
    TileUnder(part.pixels, xs, ys, static_cast<int>(width), static_cast<int>(height), x, y, t.width, t.height, out.pixels);
    return true;
}

bool TakeBackdrop(Target& t, int cancelFd, Backdrop& out) {
    const bool handed = std::getenv("XSCREENSAVER_WINDOW") != nullptr;
    const bool byXScreenSaver = handed && MadeByXScreenSaver(WindowChain(t.dpy, t.window));
    for (BackdropSource source : BackdropSources(handed, byXScreenSaver)) {
        switch (source) {
        case BackdropSource::ImageHelper: {
            if (TakeFromHelper(t, cancelFd, out)) return true;
            if (Cancelled(cancelFd)) return false;
            break;
        }
        case BackdropSource::RootPicture: {
            std::string why;
            if (TakeRootPicture(t, out, why)) return true;
            std::fprintf(stderr, "fluttera: %s; using a still of the screen\n", why.c_str());
            break;
        }
        case BackdropSource::ScreenStill:
            return TakeRootStill(t, out);
        }
    }
    return false;
}

}  // namespace hack
