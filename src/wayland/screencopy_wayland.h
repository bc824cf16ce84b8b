// A still picture of one output, taken with screencopy before the saver's surface shows
// there: the compositor names the shared-memory buffers it can fill, the first in a
// format the saver reads is made, filled, and kept for as long as the output is shown.
#pragma once

#include <wayland-client.h>

#include <functional>

#include "wayland/buffers_wayland.h"
#include "wayland/capture_pixels.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"

namespace wayland {

class Capture {
public:
    // Starts the picture; `done` is called once from the event loop, true with a picture.
    Capture(zwlr_screencopy_manager_v1* manager, wl_shm* shm, wl_output* output, std::function<void(bool)> done);
    ~Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    // Valid after done(true); `transform` is the output's (wl_output.transform).
    CapturedPicture picture(uint32_t transform) const;

private:
    static void OnBuffer(void* data, zwlr_screencopy_frame_v1*, uint32_t format, uint32_t width, uint32_t height,
                         uint32_t stride);
    static void OnFlags(void* data, zwlr_screencopy_frame_v1*, uint32_t flags);
    static void OnReady(void* data, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t);
    static void OnFailed(void* data, zwlr_screencopy_frame_v1*);
    static void OnDamage(void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t, uint32_t) {}
    static void OnDmabuf(void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {}
    static void OnBufferDone(void* data, zwlr_screencopy_frame_v1*);
    static const zwlr_screencopy_frame_v1_listener kListener;

    void Copy();
    void Finish(bool ok);

    wl_shm* shm_;
    zwlr_screencopy_frame_v1* frame_;
    std::function<void(bool)> done_;
    ShmBuffer memory_;
    uint32_t format_ = 0;
    int32_t width_ = 0, height_ = 0, stride_ = 0;
    bool chosen_ = false, copying_ = false, yInvert_ = false;
};

}  // namespace wayland
