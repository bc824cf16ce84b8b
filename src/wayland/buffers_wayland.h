// Shared-memory pictures for the compositor: one buffer (ShmBuffer), and the pair an
// output's surface draws through (SurfaceBuffers). Each pass draws straight into whichever
// of the two the compositor has let go of, after that one has caught up, from the other,
// with only the rectangles it lacks; so a pass costs what its petals cost, with no private
// picture to copy from.
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
    // The two shared buffers, width x height; false when the memory could not be had.
    // `released` is called when a buffer comes free.
    bool Create(wl_shm* shm, int32_t width, int32_t height, uint32_t format, const std::function<void()>& released);
    void Destroy();

    bool AnyFree() const { return !buffers_[0].busy || !buffers_[1].busy; }

    // A buffer the compositor is not reading, holding the newest picture (the pass draws
    // into it next); null when the compositor holds both.
    ShmBuffer* Begin();
    // The pass drew `changed` into the buffer Begin gave: it is now the newest; the other
    // lacks those rectangles. `shown`: it goes to the compositor and is busy until released.
    void Drawn(const std::vector<petals::PixelRect>& changed, bool shown);

private:
    ShmBuffer buffers_[2];
    ShmBuffer* drawing_ = nullptr;
    ShmBuffer* newest_ = nullptr;  // none yet: the first pass draws the whole picture
};

}  // namespace wayland
