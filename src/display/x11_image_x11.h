// The hack's finished picture in client memory and its presentation: an XImage in
// shared memory where the server offers MIT-SHM and accepts the attach, else a plain
// XImage sent with XPutImage (a remote display, for one). Everything is drawn here
// first; only finished rectangles reach the window.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <cstdint>
#include <vector>

#include "display/pixels.h"

namespace display {

class X11Image {
public:
    X11Image() = default;
    ~X11Image() { Release(); }
    X11Image(const X11Image&) = delete;
    X11Image& operator=(const X11Image&) = delete;

    // (Re)makes the image at this size; false when no memory or no image could be had.
    bool Create(Display* dpy, Visual* visual, int depth, int width, int height);
    void Release();

    PixelView view() { return PixelView{pixels_, width_, height_, stride_}; }
    bool shared() const { return shared_; }

    // Sends the rectangles (clipped to the image) to the window and waits until the
    // server has them, so the memory may be drawn into again at once.
    void Present(Window window, GC gc, const PixelRect* rects, size_t count);
    void PresentAll(Window window, GC gc);

private:
    Display* dpy_ = nullptr;
    XImage* image_ = nullptr;
    XShmSegmentInfo shm_{};
    bool shared_ = false;
    uint32_t* pixels_ = nullptr;
    int width_ = 0, height_ = 0, stride_ = 0;
};

}  // namespace display
