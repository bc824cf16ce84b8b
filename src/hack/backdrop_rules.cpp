#include "hack/backdrop_rules.h"

namespace hack {
namespace {

// What XScreenSaver leaves on the windows it hands its hacks, and nothing else does.
struct Mark {
    bool isProperty;  // else a WM_CLASS class
    const char* name;
};
constexpr Mark kXScreenSaverMarks[] = {
    {true, "_SCREENSAVER_VERSION"},     // its saver windows up to version 5
    {true, "_SCREENSAVER_SCREENSHOT"},  // the desktop it saved for xscreensaver-getimage (6)
    {false, "XScreenSaver"},            // its saver windows (6)
    {false, "Xscreensaver-settings"},   // the dialog holding its preview window (6)
};

int Wrap(int value, int length) {
    const int r = value % length;
    return r < 0 ? r + length : r;
}

}  // namespace

bool MadeByXScreenSaver(const std::vector<WindowFacts>& chain) {
    for (const WindowFacts& w : chain)
        for (const Mark& m : kXScreenSaverMarks) {
            if (!m.isProperty && w.wmClass == m.name) return true;
            if (m.isProperty)
                for (const std::string& p : w.properties)
                    if (p == m.name) return true;
        }
    return false;
}

std::vector<BackdropSource> BackdropSources(bool handed, bool byXScreenSaver) {
    // The image helper stands on XScreenSaver's daemon: run under another saver it has no
    // saved desktop and gives its test card.
    if (handed && byXScreenSaver) return {BackdropSource::ImageHelper, BackdropSource::ScreenStill};
    // Another saver's window covers the desktop and holds none of it.
    if (handed) return {BackdropSource::RootPicture, BackdropSource::ScreenStill};
    return {BackdropSource::ScreenStill};
}

Span TileSpan(int offset, int length, int tileLength) {
    if (length >= tileLength) return {0, tileLength};
    const int from = Wrap(offset, tileLength);
    if (from + length > tileLength) return {0, tileLength};
    return {from, length};
}

void TileUnder(const std::vector<uint32_t>& part, Span xs, Span ys, int tileWidth, int tileHeight, int x, int y,
               int width, int height, std::vector<uint32_t>& out) {
    out.assign(static_cast<size_t>(width) * height, 0);
    for (int row = 0; row < height; ++row) {
        const int py = Wrap(y + row, tileHeight) - ys.from;
        const uint32_t* from = &part[static_cast<size_t>(py) * xs.length];
        uint32_t* to = &out[static_cast<size_t>(row) * width];
        for (int col = 0; col < width; ++col) to[col] = from[Wrap(x + col, tileWidth) - xs.from];
    }
}

}  // namespace hack
