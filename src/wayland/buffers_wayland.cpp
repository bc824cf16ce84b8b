#include "wayland/buffers_wayland.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <new>

namespace wayland {
namespace {

// Past this many rectangles a buffer that stayed held is simply copied whole.
constexpr size_t kMaxStale = 4096;

const wl_buffer_listener kBufferListener = {&ShmBuffer::Released};

// A file of `size` bytes in memory; -1 when there is no memory for it. Its pages are
// reserved now, so a shortage shows here rather than as a fault while drawing.
int MemoryFile(size_t size) {
    const int fd = memfd_create("fluttera-wayland", MFD_CLOEXEC);
    if (fd < 0) return -1;
    const int err = posix_fallocate(fd, 0, static_cast<off_t>(size));
    if (err == 0 || ((err == EOPNOTSUPP || err == EINVAL) && ftruncate(fd, static_cast<off_t>(size)) == 0)) return fd;
    close(fd);
    return -1;
}

}  // namespace

bool ShmBuffer::Create(wl_shm* shm, int32_t width, int32_t height, uint32_t format, int32_t stride) {
    Destroy();
    if (stride == 0) stride = width * 4;
    if (width <= 0 || height <= 0 || stride < width * 4) return false;
    const size_t size = static_cast<size_t>(stride) * static_cast<size_t>(height);
    if (size > static_cast<size_t>(INT32_MAX)) return false;  // a pool's size is an int
    const int fd = MemoryFile(size);
    if (fd < 0) return false;
    void* data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED) {
        close(fd);
        return false;
    }
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<int32_t>(size));
    buffer_ = wl_shm_pool_create_buffer(pool, 0, width, height, stride, format);
    wl_shm_pool_destroy(pool);
    close(fd);
    data_ = data;
    size_ = size;
    width_ = width;
    height_ = height;
    stride_ = stride;
    wl_buffer_add_listener(buffer_, &kBufferListener, this);
    busy = false;
    stale.clear();
    staleAll = true;
    return true;
}

void ShmBuffer::Destroy() {
    if (buffer_) wl_buffer_destroy(buffer_);
    if (data_) munmap(data_, size_);
    buffer_ = nullptr;
    data_ = nullptr;
    size_ = 0;
    busy = false;
}

petals::PixelView ShmBuffer::view() const {
    return petals::PixelView{static_cast<uint32_t*>(data_), width_, height_, stride_ / 4};
}

void ShmBuffer::Released(void* data, wl_buffer*) {
    auto* self = static_cast<ShmBuffer*>(data);
    self->busy = false;
    if (self->onRelease) self->onRelease();
}

bool SurfaceBuffers::Create(wl_shm* shm, int32_t width, int32_t height, uint32_t format,
                            const std::function<void()>& released) {
    Destroy();
    try {
        for (ShmBuffer& b : buffers_) b.stale.reserve(kMaxStale);  // so a pass allocates nothing
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (ShmBuffer& b : buffers_) {
        if (!b.Create(shm, width, height, format)) {
            Destroy();
            return false;
        }
        b.onRelease = released;
    }
    return true;
}

void SurfaceBuffers::Destroy() {
    for (ShmBuffer& b : buffers_) b.Destroy();
    drawing_ = newest_ = nullptr;
}

ShmBuffer* SurfaceBuffers::Begin() {
    // The newest picture itself when it is free: nothing to catch up.
    ShmBuffer* b = newest_ && !newest_->busy ? newest_ : nullptr;
    for (ShmBuffer& other : buffers_) {
        if (!b && !other.busy) b = &other;
    }
    drawing_ = b;
    if (!b || b == newest_) return b;
    if (newest_) {
        const petals::PixelView from = newest_->view(), to = b->view();
        if (b->staleAll) {
            petals::CopyRect(from, to, from.Bounds());
        } else {
            for (const petals::PixelRect& r : b->stale) petals::CopyRect(from, to, r);
        }
        b->stale.clear();
        b->staleAll = false;
    }
    return b;
}

void SurfaceBuffers::Drawn(const std::vector<petals::PixelRect>& changed, bool shown) {
    if (!drawing_) return;
    for (ShmBuffer& b : buffers_) {
        if (&b == drawing_ || b.staleAll) continue;
        if (b.stale.size() + changed.size() > kMaxStale) b.staleAll = true;
        else b.stale.insert(b.stale.end(), changed.begin(), changed.end());
    }
    drawing_->stale.clear();
    drawing_->staleAll = false;
    drawing_->busy = shown;
    newest_ = drawing_;
    drawing_ = nullptr;
}

}  // namespace wayland
