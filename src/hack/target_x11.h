// The X side of the Linux hack: the display connection, the window it draws into (the
// root, a window named by id or by XScreenSaver, or one of its own), and the X errors
// that must not end it (a window that disappears under it, a shared-memory attach the
// server refuses).
#pragma once

#include <X11/Xlib.h>

#include <string>

#include "hack/options.h"

namespace hack {

// The last X error seen since the trap was armed; Xlib's default handler would exit.
struct XErrorTrap {
    static void Install();
    static void Arm();
    static int Error();  // 0 when none since Arm()
    static XID Resource();
};

struct Target {
    Display* dpy = nullptr;
    Window window = 0;
    bool ownWindow = false;  // created here, for trying the hack outside XScreenSaver
    bool isRoot = false;
    int width = 0, height = 0;
    int depth = 0;
    Visual* visual = nullptr;
    Atom deleteWindow = 0;
};

// Opens the display and picks the window. On failure returns false with `why` set.
// A window of its own is created unmapped, so a still of the root can still be taken
// before it shows; MapOwnWindow shows it.
bool OpenTarget(const HackOptions& options, Target& target, std::string& why);
void MapOwnWindow(Target& target);

// True for the visuals the hack draws on: TrueColor, 24 or 32 bits deep, 8 bits a
// channel with red in the high byte. Others are refused with a message rather than
// shown in wrong colours.
bool SupportedVisual(const Target& target, std::string& why);

// The Xft.dpi resource over 96, or 1 when the display gives none.
double DisplayScale(Display* dpy);

}  // namespace hack
