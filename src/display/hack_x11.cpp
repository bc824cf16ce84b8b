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
#include <cstring>
#include <ctime>

#include "display/backdrop_x11.h"
#include "display/hack_options.h"
#include "display/petal_frames.h"
#include "display/petal_model.h"
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

double Now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// The X server drops a connection it loses; there is nothing left to draw on.
int OnXIOError(Display*) { _exit(0); }

uint32_t SecondsSinceMidnight() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return static_cast<uint32_t>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec);
}

class Hack {
public:
    Hack(const HackOptions& o, X11Target& t, PetalFrames frames)
        : options_(o), t_(t), frames_(std::move(frames)), petals_(o.count) {}

    bool Start(std::string& why);
    int Run();

private:
    void HandleEvents();
    void Resize(int width, int height);
    void FitBackdrop();
    void Pass();
    void DrawRate();

    const HackOptions& options_;
    X11Target& t_;
    PetalFrames frames_;
    Backdrop backdrop_;
    std::vector<uint32_t> fitted_;  // the backdrop at the window's current size
    X11Image image_;
    GC gc_ = nullptr;
    PetalTable petals_;
    std::vector<SpriteDraw> draws_;
    fw::Lcg24Random random_;
    bool presentAll_ = true;
    bool ended_ = false;
    // Pass rate shown with --fps.
    double rateFrom_ = 0;
    long ratePasses_ = 0;
    char rateText_[32] = "";
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
    ReserveDraws(petals_, draws_);
    random_.Seed(SecondsSinceMidnight());
    SetInitialValues(petals_, Surface{t_.width, t_.height, t_.width}, random_);
    return true;
}

// The backdrop at the window's size: the picture from its top-left corner, cropped, and
// black where the window has grown past it.
void Hack::FitBackdrop() {
    fitted_.assign(static_cast<size_t>(t_.width) * t_.height, 0);
    const int w = std::min(t_.width, backdrop_.width), h = std::min(t_.height, backdrop_.height);
    for (int y = 0; y < h; ++y)
        std::copy_n(&backdrop_.pixels[static_cast<size_t>(y) * backdrop_.width], w,
                    &fitted_[static_cast<size_t>(y) * t_.width]);
}

void Hack::Resize(int width, int height) {
    if (width == t_.width && height == t_.height) return;
    t_.width = width;
    t_.height = height;
    if (!image_.Create(t_.dpy, t_.visual, t_.depth, width, height)) {
        ended_ = true;
        return;
    }
    FitBackdrop();
    presentAll_ = true;
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
            presentAll_ = true;
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
    const int w = t_.width, h = t_.height, stride = image_.stride();
    uint32_t* out = image_.pixels();
    for (int y = 0; y < h; ++y)
        std::memcpy(out + static_cast<size_t>(y) * stride, &fitted_[static_cast<size_t>(y) * w], sizeof(uint32_t) * w);
    Step(petals_, Surface{w, h, w}, random_, draws_);
    for (const SpriteDraw& d : draws_) {
        const auto blit = ClipSprite(d, w, h);
        if (!blit || d.frame < 0 || d.frame >= kSpriteFrames) continue;
        const uint32_t* mask = frames_.masks[static_cast<size_t>(d.frame)].data();
        const uint32_t* sprite = frames_.sprites[static_cast<size_t>(d.frame)].data();
        for (int y = 0; y < blit->height; ++y) {
            uint32_t* row = out + static_cast<size_t>(blit->dstY + y) * stride + blit->dstX;
            const size_t src = static_cast<size_t>(blit->srcY + y) * frames_.size + blit->srcX;
            for (int x = 0; x < blit->width; ++x) row[x] = (row[x] & mask[src + x]) ^ sprite[src + x];
        }
    }
    image_.PresentAll(t_.window, gc_);
    presentAll_ = false;
    if (options_.fps) DrawRate();
}

void Hack::DrawRate() {
    ++ratePasses_;
    const double now = Now();
    if (now - rateFrom_ >= 1.0) {
        std::snprintf(rateText_, sizeof rateText_, "%.1f passes/s", ratePasses_ / (now - rateFrom_));
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
    constexpr double kPeriod = 1.0 / 60.0;
    double due = Now();
    rateFrom_ = due;
    const int xfd = ConnectionNumber(t_.dpy);
    while (!ended_) {
        HandleEvents();
        if (ended_ || StopRequested()) break;
        const double now = Now();
        if (now >= due) {
            Pass();
            // Late passes run back to back; the schedule then starts again from now.
            due = std::max(due + kPeriod, Now());
            continue;
        }
        pollfd fds[2] = {{xfd, POLLIN, 0}, {g_stopPipe[0], POLLIN, 0}};
        const int ms = static_cast<int>(std::ceil((due - now) * 1000.0));
        poll(fds, 2, ms);
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
    std::optional<PetalFrames> frames = LoadPetalFrames(kSpriteSize);
    if (!frames) {
        std::fprintf(stderr, "fluttera: the petal pictures built into the program are damaged\n");
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
        Hack hack(options, target, std::move(*frames));
        if (hack.Start(why)) {
            status = hack.Run();
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
