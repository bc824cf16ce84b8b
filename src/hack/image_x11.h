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

    // Sends the rectangles (clipped to the image) to the window, without waiting. From a
    // shared image the server reads them later: until then Busy() is true, and drawing
    // into the memory could show a half-drawn pass.
    void Present(Window window, GC gc, const petals::PixelRect* rects, size_t count);
    void PresentAll(Window window, GC gc);

    // The server has not yet said it read the last presentation.
    bool Busy() const { return busy_; }
    // An event from the connection: the server's word that it read the presentation
    // ends Busy().
    void Notice(const XEvent& e);
    // A round trip: every request before it is done, so the memory is free again.
    void Settle();

private:
    Display* dpy_ = nullptr;
    XImage* image_ = nullptr;
    XShmSegmentInfo shm_{};
    bool shared_ = false;
    bool busy_ = false;
    int completionType_ = -1;  // the event that says a shared presentation was read
    uint32_t* pixels_ = nullptr;
    int width_ = 0, height_ = 0, stride_ = 0;
};

}  // namespace hack
