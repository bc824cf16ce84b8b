#include "display/hack_x11.h"

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
#include <optional>

#include "display/backdrop_x11.h"
#include "display/compositor.h"
#include "display/hack_options.h"
#include "display/pacer.h"
#include "display/petal_frames.h"
#include "display/screens.h"
#include "display/x11_image_x11.h"
#include "display/x11_target_x11.h"

namespace display {
namespace {

// Termination requests arrive as a byte on this pipe: the handler does nothing else, and
// the loop notices it in its poll.
int g_stopPipe[2] = {-1, -1};

void OnStopSignal(int) {
    const int saved = errno;
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

bool StopRequested() {
    pollfd p{g_stopPipe[0], POLLIN, 0};
    return poll(&p, 1, 0) > 0;
}

// The connection to the X server is gone (the server ended): nothing is left to draw on
// or to clean up there.
int OnXIOError(Display*) {
    std::fputs("fluttera: lost the connection to the X server\n", stderr);
    _exit(1);
}

uint32_t SecondsSinceMidnight() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return static_cast<uint32_t>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec);
}

constexpr uint32_t kOpaque = 0xFF000000u;  // the alpha byte of a 32-bit visual

int64_t NowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

class Hack {
public:
    Hack(const HackOptions& o, X11Target& t, double scale) : options_(o), t_(t), scale_(scale), pacer_(1000000000) {}

    bool Start(std::string& why);
    int Run();

private:
    bool MakePetals(std::string& why);
    void HandleEvents();
    void Resize(int width, int height);
    void FitBackdrop();
    void Pass();
    void DrawRate();

    const HackOptions& options_;
    X11Target& t_;
    double scale_;
    Backdrop backdrop_;
    std::vector<uint32_t> fitted_;  // the backdrop at the window's current size
    X11Image image_;
    GC gc_ = nullptr;
    // One monitor: XScreenSaver gives each monitor a window and a hack of its own.
    std::optional<Screens> screens_;
    SpriteFrames frames_;
    Compositor compositor_;
    Pacer pacer_;
    fw::Lcg24Random random_;
    bool ended_ = false;
    // Pass rate shown with --fps.
    int64_t rateFrom_ = 0;
    long ratePasses_ = 0;
    char rateText_[32] = "";
#ifdef FLUTTERA_HACK_BENCH
public:
    // The measurements' build: passes back to back, counted after a warm-up that lets the
    // petals reach their steady number; FLUTTERA_BENCH_BARE=1 runs the bare loop instead
    // (the whole backdrop copied and the whole picture presented each pass).
    bool bare_ = std::getenv("FLUTTERA_BENCH_BARE") != nullptr;
    const long warmup_ = bare_ ? 200 : 4000;
    long passes_ = 0;
    int64_t countFrom_ = 0;
#endif
};

bool Hack::Start(std::string& why) {
    if (!TakeBackdrop(t_, g_stopPipe[0], backdrop_)) {
        if (StopRequested()) return false;
        why = "no picture of the screen could be taken";
        return false;
    }
    MapOwnWindow(t_);
    gc_ = XCreateGC(t_.dpy, t_.window, 0, nullptr);
    if (!image_.Create(t_.dpy, t_.visual, t_.depth, t_.width, t_.height)) {
        why = "no memory for a picture of the window's size";
        return false;
    }
    FitBackdrop();
    random_.Seed(SecondsSinceMidnight());
    return MakePetals(why);
}

// A petal table for the window's size, and the sprite frames for the scale. A new size
// starts a new table, as a new start of the saver would.
bool Hack::MakePetals(std::string& why) {
    const PixelRect window{0, 0, t_.width, t_.height};
    const uint32_t dpi = static_cast<uint32_t>(std::lround(96.0 * scale_));
    screens_.emplace(std::vector<Monitor>{Monitor{window, dpi}}, window, options_.count);
    const int32_t size = screens_->size() ? (*screens_)[0].spriteSize : kSpriteSize;
    if (frames_.size() != size) {
        std::optional<SpriteFrames> frames = LoadPetalFrames(size);
        if (!frames) {
            why = "the petal pictures built into the program are damaged";
            return false;
        }
        frames_ = std::move(*frames);
        // Keep the alpha byte opaque through the mask's AND (the sprite's XOR leaves it),
        // for windows of 32-bit visuals; 24-bit ones ignore that byte.
        for (int32_t k = 0; k < frames_.count(); ++k)
            for (int32_t i = 0; i < size * size; ++i) frames_.Mask(k)[i] |= kOpaque;
    }
    screens_->SetInitialValues(random_);
    compositor_.Reserve(screens_->Rows());
    compositor_.InvalidateAll();
    return true;
}

// The backdrop at the window's size: the picture from its top-left corner, cropped, and
// black where the window has grown past it.
void Hack::FitBackdrop() {
    fitted_.assign(static_cast<size_t>(t_.width) * t_.height, kOpaque);
    const int w = std::min(t_.width, backdrop_.width), h = std::min(t_.height, backdrop_.height);
    for (int y = 0; y < h; ++y) {
        const uint32_t* from = &backdrop_.pixels[static_cast<size_t>(y) * backdrop_.width];
        uint32_t* to = &fitted_[static_cast<size_t>(y) * t_.width];
        for (int x = 0; x < w; ++x) to[x] = from[x] | kOpaque;
    }
}

void Hack::Resize(int width, int height) {
    if (width == t_.width && height == t_.height) return;
    t_.width = width;
    t_.height = height;
    std::string why;
    if (!image_.Create(t_.dpy, t_.visual, t_.depth, width, height) || !MakePetals(why)) {
        ended_ = true;
        return;
    }
    FitBackdrop();
}

void Hack::HandleEvents() {
    while (!ended_ && XPending(t_.dpy)) {
        XEvent e;
        XNextEvent(t_.dpy, &e);
        switch (e.type) {
        case ConfigureNotify:
            if (e.xconfigure.window == t_.window) Resize(e.xconfigure.width, e.xconfigure.height);
            break;
        case Expose:
            compositor_.InvalidateAll();
            break;
        case DestroyNotify:
            if (e.xdestroywindow.window == t_.window) ended_ = true;
            break;
        case ClientMessage:
            if (t_.ownWindow && static_cast<Atom>(e.xclient.data.l[0]) == t_.deleteWindow) ended_ = true;
            break;
        case KeyPress:
            if (t_.ownWindow && XLookupKeysym(&e.xkey, 0) == XK_q) ended_ = true;
            break;
        }
    }
    // A window destroyed under us shows up as an error on it.
    const int err = XErrorTrap::Error();
    if ((err == BadWindow || err == BadDrawable) && XErrorTrap::Resource() == t_.window) ended_ = true;
}

void Hack::Pass() {
    const PixelView back = image_.view();
    const PixelView snapshot{fitted_.data(), t_.width, t_.height, t_.width};
#ifdef FLUTTERA_HACK_BENCH
    if (++passes_ == warmup_) countFrom_ = NowNs();
    if (bare_) {
        CopyRect(snapshot, back, back.Bounds());
        image_.PresentAll(t_.window, gc_);
        return;
    }
#endif
    screens_->Step(random_);
    compositor_.BeginPass(snapshot, back);
    for (std::size_t i = 0; i < screens_->size(); ++i) {
        const Screen& screen = (*screens_)[i];
        compositor_.Draw(back, frames_, screen.draws.data(), screen.draws.size(), screen.clip);
    }
    const std::vector<PixelRect>& changed = compositor_.EndPass();
    image_.Present(t_.window, gc_, changed.data(), changed.size());
    if (options_.fps) DrawRate();
}

void Hack::DrawRate() {
    ++ratePasses_;
    const int64_t now = NowNs();
    if (now - rateFrom_ >= 1000000000) {
        std::snprintf(rateText_, sizeof rateText_, "%.1f passes/s", ratePasses_ * 1e9 / static_cast<double>(now - rateFrom_));
        rateFrom_ = now;
        ratePasses_ = 0;
    }
    XSetForeground(t_.dpy, gc_, 0x000000);
    XFillRectangle(t_.dpy, t_.window, gc_, 0, 0, 130, 18);
    XSetForeground(t_.dpy, gc_, 0xFFFFFF);
    XDrawString(t_.dpy, t_.window, gc_, 4, 13, rateText_, static_cast<int>(std::strlen(rateText_)));
    XFlush(t_.dpy);
}

int Hack::Run() {
    pacer_.Start(NowNs());
    rateFrom_ = NowNs();
    const int xfd = ConnectionNumber(t_.dpy);
    while (!ended_) {
        HandleEvents();
        if (ended_ || StopRequested()) break;
        const int64_t now = NowNs();
#ifdef FLUTTERA_HACK_BENCH
        const bool due = true;
#else
        const bool due = pacer_.TicksUntilNext(now) == 0;
#endif
        if (due) {
            pacer_.PassStarted(now);
            Pass();
            continue;
        }
        // Sleep until the pass is due, an X event arrives or a termination is asked for.
        pollfd fds[2] = {{xfd, POLLIN, 0}, {g_stopPipe[0], POLLIN, 0}};
        poll(fds, 2, static_cast<int>(pacer_.MillisecondsUntilNext(now)));
    }
    image_.Release();
    if (gc_) XFreeGC(t_.dpy, gc_);
    return 0;
}

}  // namespace

int RunHack(const std::vector<std::string>& args, const char* program) {
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
    X11Target target;
    std::string why;
    if (!OpenTarget(options, target, why) || !SupportedVisual(target, why)) {
        std::fprintf(stderr, "fluttera: %s\n", why.c_str());
        return 1;
    }
    int status = 0;
    {
        Hack hack(options, target, options.scale ? *options.scale : DisplayScale(target.dpy));
        if (hack.Start(why)) {
            status = hack.Run();
#ifdef FLUTTERA_HACK_BENCH
            if (hack.passes_ > hack.warmup_)
                std::printf("%s passes %ld seconds %.3f size %dx%d\n", hack.bare_ ? "bare" : "hack",
                            hack.passes_ - hack.warmup_, (NowNs() - hack.countFrom_) / 1e9, target.width,
                            target.height);
#endif
        } else if (!why.empty()) {
            std::fprintf(stderr, "fluttera: %s\n", why.c_str());
            status = 1;
        }
    }
    if (target.ownWindow) XDestroyWindow(target.dpy, target.window);
    XCloseDisplay(target.dpy);
    return status;
}

}  // namespace display
