#include "hack/hack_x11.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <optional>

#include "hack/backdrop_x11.h"
#include "hack/image_x11.h"
#include "hack/options.h"
#include "hack/target_x11.h"
#include "petals/pacer.h"
#include "petals/petal_frames.h"
#include "petals/scene.h"

namespace hack {
namespace {

using petals::PixelRect;
using petals::PixelView;

// Termination requests arrive as a flag, looked at each pass, and a byte on this pipe,
// which wakes the loop's poll: the handler does nothing else.
int g_stopPipe[2] = {-1, -1};
volatile sig_atomic_t g_stopAsked = 0;

void OnStopSignal(int) {
    const int saved = errno;
    g_stopAsked = 1;
    const char byte = 1;
    [[maybe_unused]] ssize_t n = write(g_stopPipe[1], &byte, 1);
    errno = saved;
}

bool InstallStopSignals() {
    if (pipe2(g_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &sa, nullptr);
    return true;
}

bool StopRequested() { return g_stopAsked != 0; }

// The connection to the X server is gone (the server ended): nothing is left to draw on
// or to clean up there.
int OnXIOError(Display*) {
    std::fputs("fluttera: lost the connection to the X server\n", stderr);
    _exit(1);
}

constexpr uint32_t kOpaque = 0xFF000000u;  // the alpha byte of a 32-bit visual

// What one more XShmPutImage costs, in pixels (see MergeRects). Unlike a copy under Wine,
// a request costs the X server little beside its pixels: passes back to back at 300
// petals took the least CPU (hack and X server together) at 0, joining only overlapping
// rectangles, against 256, 1024, 4096 and 16384.
constexpr int64_t kRectCost = 0;

// How long a pass waits for the server's word that it read the last picture before making
// sure by a round trip.
constexpr int kServerWaitMs = 500;

int64_t NowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

class Hack {
public:
    Hack(const HackOptions& o, Target& t, double scale, PassWatcher* watcher)
        : options_(o), target_(t), scale_(scale), watcher_(watcher), pacer_(1000000000),
          scene_(o.count, petals::TimeOfDaySeed()) {}

    bool Start(std::string& why);
    // Until the window goes, a stop is asked for or a new size cannot be followed (why).
    void Run(std::string& why);

private:
    bool FitToWindow(std::string& why);
    bool MakePetals(std::string& why);
    void HandleEvents();
    void Resize(int width, int height);
    bool FitBackdrop();
    void Pass();
    void DrawRate();

    const HackOptions& options_;
    Target& target_;
    double scale_;
    PassWatcher* watcher_;
    Backdrop backdrop_;
    std::vector<uint32_t> fitted_;  // the backdrop at the window's current size
    Image image_;
    GC gc_ = nullptr;
    petals::Pacer pacer_;
    // One monitor: XScreenSaver gives each monitor a window and a hack of its own.
    petals::Scene scene_;
    bool ended_ = false;
    std::string failure_;  // why it ended early, if it did
    // Pass rate shown with --fps.
    int64_t rateFrom_ = 0;
    long ratePasses_ = 0;
    char rateText_[32] = "";
};

bool Hack::Start(std::string& why) {
    if (!TakeBackdrop(target_, g_stopPipe[0], backdrop_)) {
        if (StopRequested()) return false;
        why = "no picture of the screen could be taken";
        return false;
    }
    MapOwnWindow(target_);
    gc_ = XCreateGC(target_.dpy, target_.window, 0, nullptr);
    scene_.compositor().SetRectCost(kRectCost);
    if (watcher_) watcher_->Starting(scene_.compositor());
    return FitToWindow(why);
}

// The picture, the backdrop and the petal table at the window's size, at the start and
// whenever the window takes a new size.
bool Hack::FitToWindow(std::string& why) {
    if (!image_.Create(target_.dpy, target_.visual, target_.depth, target_.width, target_.height) || !FitBackdrop()) {
        why = "no memory for a picture of the window's size";
        return false;
    }
    return MakePetals(why);
}

// A petal table for the window's size, and the sprite frames for the scale. A new size
// starts a new table, as a new start of the saver would.
bool Hack::MakePetals(std::string& why) {
    const PixelRect window{0, 0, target_.width, target_.height};
    const uint32_t dpi = static_cast<uint32_t>(std::lround(96.0 * scale_));
    scene_.Lay({petals::Monitor{window, dpi}}, window);
    for (int32_t size : scene_.MissingFrameSizes()) {
        std::optional<petals::SpriteFrames> frames = petals::LoadPetalFrames(size);
        if (!frames) {
            why = "the petal pictures built into the program are damaged";
            return false;
        }
        // Keep the alpha byte opaque through the mask's AND (the sprite's XOR leaves it),
        // for windows of 32-bit visuals; 24-bit ones ignore that byte.
        for (int32_t k = 0; k < frames->count(); ++k)
            for (int32_t i = 0; i < size * size; ++i) frames->Mask(k)[i] |= kOpaque;
        scene_.SetFrames(std::move(*frames));
    }
    return true;
}

// The backdrop at the window's size: the picture from its top-left corner, cropped, and
// black where the window has grown past it. False when there is no memory for it.
bool Hack::FitBackdrop() {
    try {
        fitted_.assign(static_cast<size_t>(target_.width) * target_.height, kOpaque);
    } catch (const std::bad_alloc&) {
        fitted_.clear();
        return false;
    }
    const int w = std::min(target_.width, backdrop_.width), h = std::min(target_.height, backdrop_.height);
    for (int y = 0; y < h; ++y) {
        const uint32_t* from = &backdrop_.pixels[static_cast<size_t>(y) * backdrop_.width];
        uint32_t* to = &fitted_[static_cast<size_t>(y) * target_.width];
        for (int x = 0; x < w; ++x) to[x] = from[x] | kOpaque;
    }
    return true;
}

void Hack::Resize(int width, int height) {
    if (width == target_.width && height == target_.height) return;
    target_.width = width;
    target_.height = height;
    if (!FitToWindow(failure_)) ended_ = true;
}

void Hack::HandleEvents() {
    // One read of the connection, then what it brought (and what a round trip of a resize
    // brings) from Xlib's queue.
    XEventsQueued(target_.dpy, QueuedAfterReading);
    while (!ended_ && XEventsQueued(target_.dpy, QueuedAlready) > 0) {
        XEvent e;
        XNextEvent(target_.dpy, &e);
        image_.Notice(e);
        switch (e.type) {
        case ConfigureNotify:
            if (e.xconfigure.window == target_.window) Resize(e.xconfigure.width, e.xconfigure.height);
            break;
        case Expose:
            scene_.InvalidateAll();
            break;
        case DestroyNotify:
            if (e.xdestroywindow.window == target_.window) ended_ = true;
            break;
        case ClientMessage:
            if (target_.ownWindow && static_cast<Atom>(e.xclient.data.l[0]) == target_.deleteWindow) ended_ = true;
            break;
        case KeyPress:
            if (target_.ownWindow && XLookupKeysym(&e.xkey, 0) == XK_q) ended_ = true;
            break;
        }
    }
    // A window destroyed under us shows up as an error on it.
    const int err = XErrorTrap::Error();
    if ((err == BadWindow || err == BadDrawable) && XErrorTrap::Resource() == target_.window) ended_ = true;
}

void Hack::Pass() {
    const PixelView back = image_.view();
    const PixelView snapshot{fitted_.data(), target_.width, target_.height, target_.width};
    if (watcher_ && watcher_->TakePass(snapshot, back)) {
        image_.PresentAll(target_.window, gc_);
        return;
    }
    const std::vector<PixelRect>& changed = scene_.Pass(snapshot, back);
    image_.Present(target_.window, gc_, changed.data(), changed.size());
    if (options_.fps) DrawRate();
}

void Hack::DrawRate() {
    ++ratePasses_;
    const int64_t now = NowNs();
    if (now - rateFrom_ >= 1000000000) {
        std::snprintf(rateText_, sizeof rateText_, "%.1f passes/s", static_cast<double>(ratePasses_) * 1e9 / static_cast<double>(now - rateFrom_));
        rateFrom_ = now;
        ratePasses_ = 0;
    }
    XSetForeground(target_.dpy, gc_, 0x000000);
    XFillRectangle(target_.dpy, target_.window, gc_, 0, 0, 130, 18);
    XSetForeground(target_.dpy, gc_, 0xFFFFFF);
    XDrawString(target_.dpy, target_.window, gc_, 4, 13, rateText_, static_cast<int>(std::strlen(rateText_)));
    XFlush(target_.dpy);
}

void Hack::Run(std::string& why) {
    pacer_.Start(NowNs());
    rateFrom_ = NowNs();
    const bool paced = !watcher_ || watcher_->Paced();
    const int xfd = ConnectionNumber(target_.dpy);
    while (!ended_ && !StopRequested()) {
        HandleEvents();
        if (ended_) break;
        const int64_t now = NowNs();
        const bool due = !paced || pacer_.TicksUntilNext(now) == 0;
        if (due && !image_.Busy()) {
            pacer_.PassStarted(now);
            Pass();
            continue;
        }
        // Asleep until the pass is due, the X server sends something (an event, or its word
        // that it read the last picture, which a due pass waits for) or a stop is asked for.
        // A word that never comes (a request it refused) is made up for by a round trip.
        pollfd fds[2] = {{xfd, POLLIN, 0}, {g_stopPipe[0], POLLIN, 0}};
        const int n = poll(fds, 2, due ? kServerWaitMs : static_cast<int>(pacer_.MillisecondsUntilNext(now)));
        if (n == 0 && due) image_.Settle();
    }
    image_.Release();
    if (gc_) XFreeGC(target_.dpy, gc_);
    why = failure_;
}

}  // namespace

int RunHack(const std::vector<std::string>& args, const char* program, PassWatcher* watcher) {
    const HackOptions options = ParseHackOptions(args);
    for (const std::string& m : options.messages) std::fprintf(stderr, "fluttera: %s\n", m.c_str());
    if (options.help) {
        std::fputs(HackUsage(program).c_str(), stdout);
        return 0;
    }
    if (!options.ok) {
        std::fputs(HackUsage(program).c_str(), stderr);
        return 1;
    }
    if (!InstallStopSignals()) {
        std::perror("fluttera: pipe");
        return 1;
    }
    XSetIOErrorHandler(OnXIOError);
    Target target;
    std::string why;
    if (!OpenTarget(options, target, why) || !SupportedVisual(target, why)) {
        std::fprintf(stderr, "fluttera: %s\n", why.c_str());
        return 1;
    }
    int status = 0;
    {
        Hack hack(options, target, options.scale ? *options.scale : DisplayScale(target.dpy), watcher);
        if (hack.Start(why)) {
            hack.Run(why);
            if (watcher) watcher->Ending(target.width, target.height);
        }
        // Empty when it ended as asked, or was stopped while it started.
        if (!why.empty()) {
            std::fprintf(stderr, "fluttera: %s\n", why.c_str());
            status = 1;
        }
    }
    if (target.ownWindow) XDestroyWindow(target.dpy, target.window);
    XCloseDisplay(target.dpy);
    return status;
}

}  // namespace hack
