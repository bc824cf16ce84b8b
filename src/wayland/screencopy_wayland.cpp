#include "wayland/screencopy_wayland.h"

#include <utility>

namespace wayland {

const zwlr_screencopy_frame_v1_listener Capture::kListener = {
    &Capture::OnBuffer, &Capture::OnFlags,  &Capture::OnReady,      &Capture::OnFailed,
    &Capture::OnDamage, &Capture::OnDmabuf, &Capture::OnBufferDone,
};

Capture::Capture(zwlr_screencopy_manager_v1* manager, wl_shm* shm, wl_output* output, std::function<void(bool)> done)
    : shm_(shm), frame_(zwlr_screencopy_manager_v1_capture_output(manager, 0, output)), done_(std::move(done)) {
    zwlr_screencopy_frame_v1_add_listener(frame_, &kListener, this);
}

Capture::~Capture() {
    if (frame_) zwlr_screencopy_frame_v1_destroy(frame_);
}

CapturedPicture Capture::picture(uint32_t transform) const {
    return CapturedPicture{memory_.bytes(), format_, width_, height_, stride_, yInvert_, transform};
}

// The first shared-memory kind in a format the saver reads. Before version 3 the
// compositor names only that one buffer, so the copy is asked for at once; from version 3
// it names every kind it offers and then says buffer_done.
void Capture::OnBuffer(void* data, zwlr_screencopy_frame_v1* frame, uint32_t format, uint32_t width, uint32_t height,
                       uint32_t stride) {
    auto* self = static_cast<Capture*>(data);
    if (!self->chosen_ && CaptureFormatKnown(format) && width > 0 && height > 0 && width <= 65535 &&
        height <= 65535 && stride <= 4 * 65535) {
        self->chosen_ = true;
        self->format_ = format;
        self->width_ = static_cast<int32_t>(width);
        self->height_ = static_cast<int32_t>(height);
        self->stride_ = static_cast<int32_t>(stride);
    }
    if (zwlr_screencopy_frame_v1_get_version(frame) < ZWLR_SCREENCOPY_FRAME_V1_BUFFER_DONE_SINCE_VERSION) self->Copy();
}

void Capture::OnBufferDone(void* data, zwlr_screencopy_frame_v1*) { static_cast<Capture*>(data)->Copy(); }

void Capture::Copy() {
    if (copying_) return;
    if (!chosen_ || !memory_.Create(shm_, width_, height_, format_, stride_)) {
        Finish(false);
        return;
    }
    copying_ = true;
    zwlr_screencopy_frame_v1_copy(frame_, memory_.buffer());
}

void Capture::OnFlags(void* data, zwlr_screencopy_frame_v1*, uint32_t flags) {
    static_cast<Capture*>(data)->yInvert_ = (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
}

void Capture::OnReady(void* data, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {
    static_cast<Capture*>(data)->Finish(true);
}

void Capture::OnFailed(void* data, zwlr_screencopy_frame_v1*) { static_cast<Capture*>(data)->Finish(false); }

void Capture::Finish(bool ok) {
    if (frame_) zwlr_screencopy_frame_v1_destroy(frame_);
    frame_ = nullptr;
    if (!ok) memory_.Destroy();
    // The picture stays in memory_; its wl_buffer is of no more use to the compositor.
    if (done_) {
        std::function<void(bool)> done = std::move(done_);
        done_ = nullptr;
        done(ok);  // may destroy this object: nothing of it is touched after
    }
}

}  // namespace wayland
