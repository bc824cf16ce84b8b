#include "hack/target_x11.h"

#include <X11/Xresource.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace hack {
namespace {

int g_error = 0;
XID g_resource = 0;

int OnXError(Display*, XErrorEvent* e) {
    g_error = e->error_code;
    g_resource = e->resourceid;
    return 0;
}

bool ReadGeometry(Target& t) {
    XWindowAttributes a;
    XErrorTrap::Arm();
    const Status ok = XGetWindowAttributes(t.dpy, t.window, &a);
    XSync(t.dpy, False);
    if (!ok || XErrorTrap::Error()) return false;
    t.width = a.width;
    t.height = a.height;
    t.depth = a.depth;
    t.visual = a.visual;
    return true;
}

}  // namespace

void XErrorTrap::Install() { XSetErrorHandler(OnXError); }
void XErrorTrap::Arm() { g_error = 0; g_resource = 0; }
int XErrorTrap::Error() { return g_error; }
XID XErrorTrap::Resource() { return g_resource; }

bool OpenTarget(const HackOptions& o, Target& t, std::string& why) {
    t.dpy = XOpenDisplay(nullptr);
    if (!t.dpy) {
        why = std::string("cannot open display \"") + XDisplayName(nullptr) + "\"";
        return false;
    }
    XErrorTrap::Install();
    const Window root = DefaultRootWindow(t.dpy);
    // XScreenSaver names the window it wants a hack to draw on; with --root that window
    // stands in for the root (it covers the screen while the saver runs).
    const char* env = std::getenv("XSCREENSAVER_WINDOW");
    const std::optional<unsigned long> xssWindow = env ? ParseWindowId(env) : std::nullopt;

    switch (o.target) {
    case HackTarget::WindowId:
        t.window = o.windowId;
        break;
    case HackTarget::Root:
        t.window = xssWindow ? *xssWindow : root;
        break;
    case HackTarget::Default:
        if (xssWindow) t.window = *xssWindow;
        break;
    }
    if (t.window) {
        t.isRoot = t.window == root;
        if (!ReadGeometry(t)) {
            char text[48];
            std::snprintf(text, sizeof text, "no window 0x%lx", t.window);
            why = text;
            return false;
        }
        // Size changes, its destruction and anything that spoils what it shows.
        XErrorTrap::Arm();
        XWindowAttributes a;
        XGetWindowAttributes(t.dpy, t.window, &a);
        XSelectInput(t.dpy, t.window, a.your_event_mask | StructureNotifyMask | ExposureMask);
        XSync(t.dpy, False);
        return true;
    }

    const int screen = DefaultScreen(t.dpy);
    const int w = DisplayWidth(t.dpy, screen) * 3 / 4, h = DisplayHeight(t.dpy, screen) * 3 / 4;
    t.window = XCreateSimpleWindow(t.dpy, root, 0, 0, w > 0 ? w : 640, h > 0 ? h : 480, 0, 0,
                                   BlackPixel(t.dpy, screen));
    t.ownWindow = true;
    XStoreName(t.dpy, t.window, "Fluttera");
    XClassHint hint{const_cast<char*>("fluttera"), const_cast<char*>("Fluttera")};
    XSetClassHint(t.dpy, t.window, &hint);
    t.deleteWindow = XInternAtom(t.dpy, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(t.dpy, t.window, &t.deleteWindow, 1);
    XSelectInput(t.dpy, t.window, StructureNotifyMask | ExposureMask | KeyPressMask);
    if (!ReadGeometry(t)) {
        why = "cannot create a window";
        return false;
    }
    return true;
}

void MapOwnWindow(Target& t) {
    if (!t.ownWindow) return;
    XMapRaised(t.dpy, t.window);
    XSync(t.dpy, False);
}

bool SupportedVisual(const Target& t, std::string& why) {
    const Visual* v = t.visual;
    if (v && v->c_class == TrueColor && (t.depth == 24 || t.depth == 32) && v->red_mask == 0xFF0000 &&
        v->green_mask == 0x00FF00 && v->blue_mask == 0x0000FF)
        return true;
    why = "the window's visual is not 24/32-bit TrueColor with 8-bit channels (depth " +
          std::to_string(t.depth) + "); only those are drawn";
    return false;
}

double DisplayScale(Display* dpy) {
    const char* resources = XResourceManagerString(dpy);
    if (!resources) return 1.0;
    XrmInitialize();
    XrmDatabase db = XrmGetStringDatabase(resources);
    if (!db) return 1.0;
    char* type = nullptr;
    XrmValue value{};
    double scale = 1.0;
    if (XrmGetResource(db, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
        char* end = nullptr;
        const double dpi = std::strtod(value.addr, &end);
        if (end != value.addr && dpi >= 48 && dpi <= 384) scale = dpi / 96.0;
    }
    XrmDestroyDatabase(db);
    return scale;
}

}  // namespace hack
