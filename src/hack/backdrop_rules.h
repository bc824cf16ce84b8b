// Where the hack's backdrop comes from, decided from what the display shows of the saver
// that runs it, and how a tiled root picture lies under a window. Portable: the X side
// gathers the facts (backdrop_x11.cpp) and these rules decide.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hack {

// What a window tells of the program that made it: the names of its properties and the
// class of its WM_CLASS.
struct WindowFacts {
    std::vector<std::string> properties;
    std::string wmClass;
};

// True when the window handed to the hack, or one of the windows it sits in (the facts
// run from the window up, the root left out), was made by XScreenSaver.
bool MadeByXScreenSaver(const std::vector<WindowFacts>& chain);

enum class BackdropSource {
    ImageHelper,  // xscreensaver-getimage, under the user's XScreenSaver image settings
    RootPicture,  // the desktop's background picture, the root's _XROOTPMAP_ID pixmap
    ScreenStill,  // a still of the screen under the window
};

// The sources to try, in order. `handed`: a saver named the window in XSCREENSAVER_WINDOW.
std::vector<BackdropSource> BackdropSources(bool handed, bool byXScreenSaver);

// One axis of a window over a picture tiled from the root's origin: the part of the
// picture [from, from + length) that lies under it. All of the picture's length when the
// window meets a seam of the tiling or is longer than the picture.
struct Span {
    int from = 0, length = 0;
};
Span TileSpan(int offset, int length, int tileLength);

// Fills `out` (width x height, rows top first) with the tiled picture as it lies under a
// window at (x, y) of the root. `part` holds the picture's part (xs, ys) read by
// TileSpan, of a picture tileWidth x tileHeight.
void TileUnder(const std::vector<uint32_t>& part, Span xs, Span ys, int tileWidth, int tileHeight, int x, int y,
               int width, int height, std::vector<uint32_t>& out);

}  // namespace hack
