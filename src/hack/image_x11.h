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

#include "petals/pixels.h"

namespace hack {

class Image {
public:
    Image() = default;
    ~Image() { Release(); }
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // (Re)makes the image at this size; false when no memory or no image could be had.
    bool Create(Display* dpy, Visual* visual, int depth, int width, int height);
    void Release();

    petals::PixelView view() { return petals::PixelView{pixels_, width_, height_, stride_}; }
    bool shared() const { return shared_; }

    // Sends the rectangles (clipped to the image) to the window and waits until the
    // server has them, so the memory may be drawn into again at once.
    void Present(Window window, GC gc, const petals::PixelRect* rects, size_t count);
    void PresentAll(Window window, GC gc);

private:
    Display* dpy_ = nullptr;
    XImage* image_ = nullptr;
    XShmSegmentInfo shm_{};
    bool shared_ = false;
    uint32_t* pixels_ = nullptr;
    int width_ = 0, height_ = 0, stride_ = 0;
};

}  // namespace hack
