// Shared-memory pictures for the compositor: one buffer (ShmBuffer), and the pair an
// output's surface draws through (SurfaceBuffers). The picture itself lives in ordinary
// memory, as the engine's back buffer that keeps the last pass; each pass is copied into
// whichever of the two buffers the compositor has let go of, only where that one lags
// behind, so a pass costs what its petals cost whichever buffer it lands in.
#pragma once

#include <wayland-client.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "petals/pixels.h"

namespace wayland {

class ShmBuffer {
public:
    ShmBuffer() = default;
    ~ShmBuffer() { Destroy(); }
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;

    // A buffer of width x height 32-bit pixels in a wl_shm format, rows `stride` bytes
    // apart (0: packed). False when the memory could not be had.
    bool Create(wl_shm* shm, int32_t width, int32_t height, uint32_t format, int32_t stride = 0);
    void Destroy();

    wl_buffer* buffer() const { return buffer_; }
    const uint8_t* bytes() const { return static_cast<const uint8_t*>(data_); }
    petals::PixelView view() const;
    int32_t stride() const { return stride_; }

    // Held by the compositor from a commit until it releases the buffer.
    bool busy = false;
    std::function<void()> onRelease;
    // What this buffer lacks of the picture: these rectangles, or all of it.
    std::vector<petals::PixelRect> stale;
    bool staleAll = true;

    // wl_buffer.release.
    static void Released(void* data, wl_buffer* buffer);

private:
    wl_buffer* buffer_ = nullptr;
    void* data_ = nullptr;
    size_t size_ = 0;
    int32_t width_ = 0, height_ = 0, stride_ = 0;
};

class SurfaceBuffers {
public:
    // The back buffer and the two shared ones, all width x height; false when the memory
    // could not be had. `released` is called when a buffer comes free.
    bool Create(wl_shm* shm, int32_t width, int32_t height, uint32_t format, const std::function<void()>& released);
    void Destroy();

    const petals::PixelView& back() const { return back_; }
    bool AnyFree() const { return !buffers_[0].busy || !buffers_[1].busy; }

    // After a pass that changed `changed` of the back buffer: a free buffer brought up to
    // date with it and marked busy; null when the compositor holds both.
    ShmBuffer* Take(const std::vector<petals::PixelRect>& changed);

private:
    std::vector<uint32_t> backPixels_;
    petals::PixelView back_;
    ShmBuffer buffers_[2];
};

}  // namespace wayland
