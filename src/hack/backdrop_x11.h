// The picture the petals fall over. Run by XScreenSaver (it names the window in
// XSCREENSAVER_WINDOW, and the window bears its marks), as its image hacks get theirs: its
// xscreensaver-getimage helper puts a picture on a pixmap of the window's size, chosen by
// the user's own settings (a grab of the desktop, a file, a video frame). Handed a window
// by another saver (MATE's), the desktop's background picture as it lies under the window.
// Otherwise, or where those fail, a still of the root window under the target, taken
// before the first pass.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hack/backdrop_rules.h"
#include "hack/target_x11.h"

namespace hack {

struct Backdrop {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
    std::string source;            // where it came from, for --help-level diagnostics
};

// The helper's path, or empty when it is nowhere to be found.
std::string FindGetImage();

// Takes the backdrop for the target at its current size. `cancelFd` is watched while
// the helper runs (a termination request ends the wait and returns false).
bool TakeBackdrop(Target& target, int cancelFd, Backdrop& out);

// What the window and the windows it sits in tell of their maker, up to the root.
std::vector<WindowFacts> WindowChain(Display* dpy, Window window);

// The root's _XROOTPMAP_ID pixmap, tiled from the root's origin as the root shows it, under
// the target's area; false, with the reason in `why`, when there is none, it is gone or
// of another visual.
bool TakeRootPicture(Target& target, Backdrop& out, std::string& why);

// A still of the root window's pixels under the target's area (black where the area
// leaves the screen).
bool TakeRootStill(Target& target, Backdrop& out);

}  // namespace hack
