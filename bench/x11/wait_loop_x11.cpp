// fluttera_wait_loop: the hack's pace with nothing in it. Connected to the X server as the
// hack is, it keeps the hack's schedule of 60 passes a second and its wait (a poll of the
// X connection until the next pass is due) but draws nothing: the pace's own cost, the
// floor under the hack's. Ends on SIGTERM or SIGINT.
#include <X11/Xlib.h>
#include <poll.h>
#include <time.h>

#include <csignal>
#include <cstdio>

#include "petals/pacer.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnStop(int) { g_stop = 1; }

int64_t NowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

}  // namespace

int main() {
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fputs("fluttera_wait_loop: cannot open the display\n", stderr);
        return 1;
    }
    std::signal(SIGTERM, OnStop);
    std::signal(SIGINT, OnStop);
    petals::Pacer pacer(1000000000);
    pacer.Start(NowNs());
    const int xfd = ConnectionNumber(dpy);
    while (!g_stop) {
        while (XPending(dpy)) {
            XEvent e;
            XNextEvent(dpy, &e);
        }
        const int64_t now = NowNs();
        if (pacer.TicksUntilNext(now) == 0) {
            pacer.PassStarted(now);
            continue;
        }
        pollfd fd{xfd, POLLIN, 0};
        poll(&fd, 1, static_cast<int>(pacer.MillisecondsUntilNext(now)));
    }
    XCloseDisplay(dpy);
    return 0;
}
