#include "hack/image_x11.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>

#include "hack/target_x11.h"

namespace hack {

bool Image::Create(Display* dpy, Visual* visual, int depth, int width, int height) {
    Release();
    dpy_ = dpy;
    width = std::max(width, 1);
    height = std::max(height, 1);
    int opcode = 0, event = 0, error = 0;
    if (XQueryExtension(dpy, "MIT-SHM", &opcode, &event, &error)) {
        image_ = XShmCreateImage(dpy, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &shm_,
                                 static_cast<unsigned>(width), static_cast<unsigned>(height));
        if (image_ && image_->bits_per_pixel == 32) {
            shm_.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image_->bytes_per_line) * height, IPC_CREAT | 0600);
            if (shm_.shmid >= 0) {
                shm_.shmaddr = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
                if (shm_.shmaddr != reinterpret_cast<char*>(-1)) {
                    image_->data = shm_.shmaddr;
                    shm_.readOnly = False;
                    // A server on another machine (or one that forbids it) refuses the
                    // attach with an X error, not a return value.
                    XErrorTrap::Arm();
                    const Status ok = XShmAttach(dpy, &shm_);
                    XSync(dpy, False);
                    shared_ = ok && XErrorTrap::Error() == 0;
                    if (!shared_) shmdt(shm_.shmaddr);
                    completionType_ = XShmGetEventBase(dpy) + ShmCompletion;
                }
                // Marked for removal now; it lives while attached, and never outlives us.
                shmctl(shm_.shmid, IPC_RMID, nullptr);
            }
        }
        if (!shared_ && image_) {
            image_->data = nullptr;
            XDestroyImage(image_);
            image_ = nullptr;
        }
    }
    if (!shared_) {
        const size_t stride = static_cast<size_t>(width) * 4;
        image_ = XCreateImage(dpy, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                              static_cast<unsigned>(width), static_cast<unsigned>(height), 32,
                              static_cast<int>(stride));
        if (!image_) return false;
        // The image owns its pixels from here: XDestroyImage frees them.
        image_->data = static_cast<char*>(std::calloc(stride * static_cast<size_t>(height), 1));
        if (!image_->data) {
            XDestroyImage(image_);
            image_ = nullptr;
            return false;
        }
        // Our pixels are host-order 32-bit words; Xlib converts for the server.
        image_->byte_order = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? LSBFirst : MSBFirst;
    }
    pixels_ = reinterpret_cast<uint32_t*>(image_->data);
    width_ = width;
    height_ = height;
    stride_ = image_->bytes_per_line / 4;
    return true;
}

void Image::Release() {
    if (!image_) return;
    if (shared_) {
        XShmDetach(dpy_, &shm_);
        XSync(dpy_, False);
        image_->data = nullptr;
        XDestroyImage(image_);
        shmdt(shm_.shmaddr);
    } else {
        XDestroyImage(image_);  // frees the calloc'd pixels too
    }
    image_ = nullptr;
    pixels_ = nullptr;
    shared_ = false;
    busy_ = false;
}

void Image::Present(Window window, GC gc, const petals::PixelRect* rects, size_t count) {
    if (!image_) return;
    const petals::PixelRect bounds{0, 0, width_, height_};
    size_t last = count;  // the last rectangle that shows
    for (size_t i = count; i-- > 0;) {
        if (!petals::Intersect(rects[i], bounds).Empty()) {
            last = i;
            break;
        }
    }
    for (size_t i = 0; i < count; ++i) {
        const petals::PixelRect r = petals::Intersect(rects[i], bounds);
        if (r.Empty()) continue;
        const unsigned w = static_cast<unsigned>(r.Width()), h = static_cast<unsigned>(r.Height());
        // The server reads shared memory when it carries out the request, and handles a
        // client's requests in order: the last one's completion event says it read them all.
        if (shared_) XShmPutImage(dpy_, window, gc, image_, r.left, r.top, r.left, r.top, w, h, i == last ? True : False);
        else XPutImage(dpy_, window, gc, image_, r.left, r.top, r.left, r.top, w, h);
    }
    if (shared_ && last < count) busy_ = true;
    XFlush(dpy_);
}

void Image::Notice(const XEvent& e) {
    if (busy_ && e.type == completionType_ && reinterpret_cast<const XShmCompletionEvent&>(e).shmseg == shm_.shmseg)
        busy_ = false;
}

void Image::Settle() {
    XSync(dpy_, False);
    busy_ = false;
}

void Image::PresentAll(Window window, GC gc) {
    const petals::PixelRect all{0, 0, width_, height_};
    Present(window, gc, &all, 1);
}

}  // namespace hack
