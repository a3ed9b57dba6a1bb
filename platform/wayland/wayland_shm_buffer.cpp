#include "platform/wayland/wayland_shm_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

WaylandShmBuffer::WaylandShmBuffer(wl_shm* shm, int width, int height)
    : width_(width), height_(height)
{
    if (width <= 0 || height <= 0)
        return;
    size_ = std::size_t(width) * std::size_t(height) * 4;
    const int fd = memfd_create("walkers-buffer", MFD_CLOEXEC);
    if (fd < 0)
        return;
    // A new file reads as zeros: every pixel starts transparent.
    if (ftruncate(fd, off_t(size_)) != 0) {
        close(fd);
        return;
    }
    void* memory = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) {
        close(fd);
        return;
    }
    pixels_ = static_cast<uint32_t*>(memory);
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, int32_t(size_));
    buffer_ = wl_shm_pool_create_buffer(pool, 0, width, height, width * 4,
                                        WL_SHM_FORMAT_ARGB8888);
    wl_shm_pool_destroy(pool); // the buffer keeps the memory
    close(fd);
    static const wl_buffer_listener listener = {
        [](void* data, wl_buffer*) { static_cast<WaylandShmBuffer*>(data)->Released(); },
    };
    wl_buffer_add_listener(buffer_, &listener, this);
}

WaylandShmBuffer::~WaylandShmBuffer()
{
    if (buffer_)
        wl_buffer_destroy(buffer_);
    if (pixels_)
        munmap(pixels_, size_);
}
